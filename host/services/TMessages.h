#pragma once

#include <QObject>
#include <QStringList>

// Message catalogue of a form: ordered "KEY|text" lines. The key is what stands before the
// first bar, the text everything after it, kept exactly (trailing blanks are part of it).
class TMessages final : public QObject {
    Q_OBJECT
public:
    explicit TMessages(QObject* parent = nullptr);

    QStringList Lines;

    void Add(const QString& key, const QString& text); // appends "key|text"
    bool Contains(const QString& key) const;
    // Text of the first line with that key (case-sensitive); a missing key gives a text that
    // names it, so a wrong key shows up in the message instead of an empty box.
    QString Msg(const QString& key) const;
};
