#pragma once

#include <QPointer>
#include <QString>
#include <QToolButton>
#include <functional>

class QLineEdit;
class TDataSource;

// Lookup button beside an edit: opens the modal search over a data source and writes the first
// field of the picked row into the associated edit.
class TBtnPesquisa final : public QToolButton {
    Q_OBJECT
public:
    explicit TBtnPesquisa(QWidget* parent = nullptr);

    QLineEdit* Associate() const { return m_associate; }
    void SetAssociate(QLineEdit* edit) { m_associate = edit; }
    const QString& Title() const { return m_title; }
    void SetTitle(const QString& title) { m_title = title; }
    TDataSource* DataSource() const { return m_dataSource; }
    void SetDataSource(TDataSource* source) { m_dataSource = source; }
    // Shown (information) instead of the search when the data set has no rows.
    const QString& EmptyError() const { return m_emptyError; }
    void SetEmptyError(const QString& text) { m_emptyError = text; }

    // allow starts true; a handler may clear it to cancel the search.
    std::function<void(QObject* sender, bool& allow)> OnBeforePesq;
    std::function<void(QObject* sender)> OnAfterPesq; // after a row was picked

    // What a click does; errors of the handlers propagate (the click itself guards them).
    // True when a row was picked.
    bool Execute();

private:
    QPointer<QLineEdit> m_associate;
    QPointer<TDataSource> m_dataSource;
    QString m_title;
    QString m_emptyError;
};
