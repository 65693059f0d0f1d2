#include "RegistrationIndex.h"

namespace ciap::server {

namespace {

QString indexKey(const QString& cnpj, const QString& ie) {
    return cnpj.trimmed().toUpper() + QLatin1Char('|') + RegistrationIndex::normalisedIe(ie);
}

} // namespace

RegistrationIndex::RegistrationIndex(const QList<Registration>& registrations)
    : m_all(registrations) {
    for (int i = 0; i < m_all.size(); ++i) {
        if (!m_all[i].cnpj.isEmpty())
            m_byCnpjIe.insert(indexKey(m_all[i].cnpj, m_all[i].code), i);
    }
}

QString RegistrationIndex::normalisedIe(const QString& ie) {
    QString out;
    for (QChar c : ie.toUpper()) {
        if (c.isLetterOrNumber())
            out += c;
    }
    qsizetype zeros = 0;
    while (zeros < out.size() - 1 && out[zeros] == QLatin1Char('0'))
        ++zeros;
    return out.mid(zeros);
}

QList<Registration> RegistrationIndex::match(const QString& cnpj, const QString& ie) const {
    QList<Registration> out;
    if (cnpj.isEmpty() || normalisedIe(ie).isEmpty())
        return out;
    QList<int> found = m_byCnpjIe.values(indexKey(cnpj, ie));
    std::sort(found.begin(), found.end());
    for (int i : found)
        out.append(m_all[i]);
    return out;
}

std::optional<Registration> RegistrationIndex::find(const QString& company,
                                                    const QString& code) const {
    for (const Registration& r : m_all) {
        if (r.company == company && r.code == code)
            return r;
    }
    return std::nullopt;
}

bool RegistrationIndex::hasCnpj(const QString& cnpj) const {
    const QString wanted = cnpj.trimmed().toUpper();
    for (const Registration& r : m_all) {
        if (!wanted.isEmpty() && r.cnpj.trimmed().toUpper() == wanted)
            return true;
    }
    return false;
}

} // namespace ciap::server
