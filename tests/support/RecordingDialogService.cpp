#include "RecordingDialogService.h"

#include "TClientDataSet.h"
#include "TDataSource.h"

void RecordingDialogService::showMessage(DialogKind kind, const QString& text) {
    entries.append({kind, text, false});
}

DialogAnswer RecordingDialogService::askYesNo(DialogKind kind, const QString& text) {
    entries.append({kind, text, true});
    return m_answers.isEmpty() ? DialogAnswer::Yes : m_answers.takeFirst();
}

bool RecordingDialogService::pick(const QString& title, TDataSource* source) {
    pickTitles.append(title);
    const int row = m_picks.isEmpty() ? -1 : m_picks.takeFirst();
    TClientDataSet* ds = source ? source->DataSet() : nullptr;
    if (row < 0 || !ds || row >= ds->RecordCount())
        return false;
    ds->SetRecNo(row + 1);
    return true;
}

QStringList RecordingDialogService::texts() const {
    QStringList out;
    for (const Entry& e : entries)
        out.append(e.text);
    return out;
}

QStringList RecordingDialogService::errors() const {
    QStringList out;
    for (const Entry& e : entries)
        if (e.kind == DialogKind::Error)
            out.append(e.text);
    return out;
}

void RecordingDialogService::clear() {
    entries.clear();
    pickTitles.clear();
    m_answers.clear();
    m_picks.clear();
}
