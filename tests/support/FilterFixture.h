#pragma once

#include "ScreenFixture.h"

#include <QDate>
#include <QJsonValue>
#include <QList>
#include <QStringList>
#include <QTemporaryDir>

// The screen with its filter header as the filter tests need it: the host's registers on a
// temporary SQLite database (EMPRESA fixture::Company and OtherCompany, IMPOSTO fixture::Tax and
// WholeTax), and the screen against the
// scripted server in an active window, so that focus moves run the panel's and the fields' enter
// and exit handlers.
struct FilterFixture final : ScreenFixture {
    static inline const QDate Jan = QDate(2024, 1, 1);
    static inline const QDate Mar = QDate(2024, 3, 1);

    // False with the reason in error.
    bool start();
    void stop();
    // Before each test: filter emptied, the list unbound, the focus in the company code, the
    // server answering with the defaults, no message recorded.
    bool reset();
    // Two competências, kind "01", no registration.
    void defaultAnswers();

    void fillFilter(const QString& company, const QString& tax, const QDate& start,
                    const QDate& end, const QString& registration = {});
    void enterPanel();
    // Focus to the list, outside the panel: the panel's exit commits the filter.
    void leavePanel();
    // fixture::Company and fixture::Tax, January to March, committed; true when the list is
    // loaded.
    bool commit();
    QList<bool> visibleColumns() const;
    bool sql(const QString& statement);

    static QJsonValue registrations(const QStringList& codes);
    static QJsonValue competencias(int count);

    QTemporaryDir dir;
};
