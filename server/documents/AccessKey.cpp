#include "AccessKey.h"

namespace ciap::documents {

namespace {

bool isDigit(QChar c) {
    return c >= u'0' && c <= u'9';
}

bool isDigitOrUpper(QChar c) {
    return isDigit(c) || (c >= u'A' && c <= u'Z');
}

bool allDigits(QStringView text) {
    for (QChar c : text)
        if (!isDigit(c))
            return false;
    return true;
}

bool oneRepeatedCharacter(QStringView text) {
    return !text.isEmpty() && text.count(text.front()) == text.size();
}

// The body followed by its check digits, each computed over everything before it.
bool checkDigitsHold(QStringView text, int checkDigits, int maxWeight) {
    for (qsizetype end = text.size() - checkDigits; end < text.size(); ++end) {
        const int digit = mod11CheckDigit(text.left(end), maxWeight);
        if (digit < 0 || text[end] != QChar(u'0' + digit))
            return false;
    }
    return true;
}

} // namespace

int mod11CheckDigit(QStringView body, int maxWeight) {
    int sum = 0;
    int weight = 2;
    for (qsizetype i = body.size() - 1; i >= 0; --i) {
        if (!isDigitOrUpper(body[i]))
            return -1;
        sum += (body[i].unicode() - u'0') * weight;
        weight = weight == maxWeight ? 2 : weight + 1;
    }
    const int remainder = sum % 11;
    return remainder < 2 ? 0 : 11 - remainder;
}

bool isValidCnpj(QStringView cnpj) {
    if (cnpj.size() != 14 || !allDigits(cnpj.mid(12)) || oneRepeatedCharacter(cnpj))
        return false;
    for (QChar c : cnpj.left(12))
        if (!isDigitOrUpper(c))
            return false;
    return checkDigitsHold(cnpj, 2, 9);
}

bool isValidCpf(QStringView cpf) {
    // Weights run 2..10 and 2..11 over 9 and 10 digits: they never wrap at 11 or 12.
    return cpf.size() == 11 && allDigits(cpf) && !oneRepeatedCharacter(cpf) &&
           checkDigitsHold(cpf, 2, 12);
}

std::optional<AccessKey> AccessKey::fromString(QStringView text) {
    if (text.size() != Length || !allDigits(text.left(6)) || !allDigits(text.mid(20)))
        return std::nullopt;
    for (QChar c : text.mid(6, 14))
        if (!isDigitOrUpper(c))
            return std::nullopt;
    if (mod11CheckDigit(text.left(43)) != text[43].unicode() - u'0')
        return std::nullopt;
    AccessKey key;
    key.m_text = text.toString();
    return key;
}

} // namespace ciap::documents
