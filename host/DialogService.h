#pragma once

#include <QList>
#include <QString>

class TDataSource;

enum class DialogAnswer { Yes, No, Ok, Cancel }; // Cancel: closed without pressing a button
enum class DialogKind { Error, Information, Confirmation, Warning };

// Every message of the application goes through one service, so that tests can script the
// answers and read what was shown.
class DialogService {
public:
    virtual ~DialogService();
    virtual void showMessage(DialogKind kind, const QString& text) = 0; // button OK only
    virtual DialogAnswer askYesNo(DialogKind kind, const QString& text) = 0;
    // Modal search over the rows of a data source; true when a row was picked (it is then
    // the current row of the data set).
    virtual bool pick(const QString& title, TDataSource* source) = 0;

    static DialogService& instance();
    // Takes no ownership; nullptr restores the default widget-based service.
    static void setInstance(DialogService* service);
};

// Records every message and answers from scripts; what tests install.
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
