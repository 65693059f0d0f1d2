#pragma once

#include "DialogService.h"

#include <QList>
#include <QStringList>

// The dialog service the tests install: records every message and answers from scripts.
class RecordingDialogService final : public DialogService {
public:
    struct Entry {
        DialogKind kind;
        QString text;
        bool question;
    };

    void showMessage(DialogKind kind, const QString& text) override;
    DialogAnswer askYesNo(DialogKind kind, const QString& text) override;
    bool pick(const QString& title, TDataSource* source) override;

    void enqueueAnswer(DialogAnswer answer) { m_answers.append(answer); }
    // Row (0-based) to pick in the next search; -1 dismisses it.
    void enqueuePick(int row) { m_picks.append(row); }

    QList<Entry> entries;
    QStringList pickTitles;
    QStringList texts() const;
    QStringList errors() const;
    void clear();

private:
    QList<DialogAnswer> m_answers; // empty → Yes
    QList<int> m_picks;            // empty → dismissed
};
