#pragma once

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
