#pragma once

#include <QList>
#include <QString>

#include <exception>

namespace ciap::efd {

// What a file breaks. The codes (ruleCode) are stable: tests and the CLI's output use them.
enum class Rule {
    // the text itself
    LineFormat,     // pipes at both ends, CRLF
    Encoding,       // a character outside ISO-8859-1
    FieldCharacter, // a field holding '|' or a line break
    UnknownRegister,
    FieldCount,
    FieldRequired,
    FieldType,
    FieldSize,
    FieldDecimals,
    FieldDate,
    FieldValue, // not one of the field's valid values
    // the file's structure
    Hierarchy,
    Order,
    Occurrence,
    BlockMovement, // IND_MOV against the block's content
    BlockCount,    // 0990, G990, 9990
    RegisterCount, // 9900
    FileCount,     // 9999
    // 0000
    LayoutVersion,
    Period,
    Cnpj,
    Cpf,
    CnpjOrCpf,
    Municipality,
    // Bloco 0 tables
    Duplicate,
    Unreferenced,
    RefParticipant,
    RefUnit,
    RefItem,
    RefAsset,
    RefAccount,
    RefCostCentre,
    AssetMain,
    AssetUse,
    AssetDescription,
    AssetInstalments,
    ChangeDate,
    // G110
    G110Outgoing,
    G110Index,
    G110Credit,
    G110Opening,
    G110Instalments,
    G110OtherCredits,
    // G125
    G125Values,
    G125Date,
    G125Instalment,
    G125Duplicate,
    G125Kind,
    G125Pair,
    // G126
    G126Index,
    G126Credit,
    G126Period,
    // G130 / G140
    G130Required,
    G130Key,
    G130Duplicate,
    G130Date,
    G140Sums,
    G140Duplicate,
    G140Quantity,
};

QString ruleCode(Rule rule); // e.g. "G110_CREDIT"

struct Problem {
    Rule rule = Rule::LineFormat;
    QString reg;          // register, "G125"; empty for the text as a whole
    int line = 0;         // 1-based line of the file, 0 when none
    QString asset;        // COD_IND_BEM, when the line belongs to an asset
    QString field;        // field name, "VL_PARC_PASS"
    QString message;      // what is wrong, for the user
    QString hint;         // what to fix in the register it comes from, may be empty
    QString text() const; // one line: where, what, and the hint
};

// Errors carry the user's text. The writer's refusal also carries every problem found.
class EfdError : public std::exception {
public:
    explicit EfdError(QString text, QList<Problem> problems = {});
    const QString& text() const { return m_text; }
    const QList<Problem>& problems() const { return m_problems; }
    const char* what() const noexcept override { return m_what.constData(); }

private:
    QString m_text;
    QList<Problem> m_problems;
    QByteArray m_what;
};

} // namespace ciap::efd
