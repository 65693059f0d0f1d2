#include "BlocoGFile.h"

#include "HostErrors.h"
#include "MonthFields.h"

#include <QDate>
#include <QSaveFile>

namespace blocog {

namespace {

QString plain(const QString& text) {
    QString out;
    for (QChar c : text) {
        if (c.isLetterOrNumber())
            out += c;
    }
    return out;
}

} // namespace

QString check(const Request& r) {
    if (const QString typed = checkTypedMonth(r.company, r.registration, r.month); !typed.isEmpty())
        return typed;
    if (r.path.trimmed().isEmpty())
        return QStringLiteral("Informe onde gravar o arquivo.");
    return {};
}

QString suggestedName(const Request& r) {
    const QDate month = typedMonth(r.month);
    return QStringLiteral("bloco-g-%1-%2-%3.txt")
        .arg(r.company.trimmed().rightJustified(2, u'0'), plain(r.registration),
             month.isValid() ? month.toString(QStringLiteral("yyyyMM")) : QString());
}

QVariantList arguments(const Request& r) {
    return {r.company.trimmed(), r.registration.trimmed(), r.month.trimmed(), r.tax.trimmed()};
}

Answer read(const QVariant& answer) {
    const QVariantList a = answer.toList();
    if (a.size() != 7 || !a[3].canConvert<ciap::DataPacket>())
        throw EHostError(
            QStringLiteral("Resposta inválida do servidor: o Bloco G veio incompleto."));
    Answer out;
    out.ok = a[0].toString() == QLatin1String("OK");
    out.fileName = a[1].toString();
    out.file = QByteArray::fromBase64(a[2].toString().toLatin1());
    out.problems = a[3].value<ciap::DataPacket>();
    out.lines = a[4].toInt();
    out.movements = a[5].toInt();
    out.tax = a[6].toString();
    if (out.ok && out.file.isEmpty())
        throw EHostError(QStringLiteral("Resposta inválida do servidor: o Bloco G veio vazio."));
    return out;
}

void save(const QString& path, const QByteArray& bytes) {
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size() || !f.commit())
        throw EHostError(
            QStringLiteral("Não foi possível gravar o arquivo %1: %2").arg(path, f.errorString()));
}

QString savedText(const Request& r, const Answer& a) {
    const QString what = a.movements > 0
                             ? QStringLiteral("%1 movimentações de bens (G125)").arg(a.movements)
                             : QStringLiteral("sem movimento de CIAP no mês (G001 indicador 1)");
    return QStringLiteral("Bloco G de %1 gravado em %2: %3 linhas, %4.")
        .arg(r.month.trimmed(), r.path)
        .arg(a.lines)
        .arg(what);
}

QString problemsText(const Answer& a) {
    return QStringLiteral("O Bloco G não foi gerado: o cadastro tem %1 problema(s), listados na "
                          "janela. Corrija-os e gere de novo; nenhum arquivo foi gravado.")
        .arg(a.problems.rows.size());
}

} // namespace blocog
