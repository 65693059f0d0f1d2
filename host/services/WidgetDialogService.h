#pragma once

#include "DialogService.h"

// The dialog service of the running application: message boxes titled with the application's
// name, and a modal table for searches.
class WidgetDialogService final : public DialogService {
public:
    void showMessage(DialogKind kind, const QString& text) override;
    DialogAnswer askYesNo(DialogKind kind, const QString& text) override;
    // title "List title|text when empty": an empty list shows the second part (if any) as
    // information instead of the search.
    bool pick(const QString& title, TDataSource* source) override;
};
