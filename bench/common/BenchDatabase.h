#pragma once

#include <QString>
#include <QStringList>

// A SQLite file for the server benchmarks: company "01", registration "111" with three
// competências of tax "01" holding 1,000, 10,000 and 100,000 assets (months 01, 02 and 03 of
// 2024), and registration "222" with a few assets for the posting benchmark (tax "02").
class BenchDatabase final {
public:
    static constexpr int Sizes[] = {1000, 10000, 100000};

    explicit BenchDatabase(QString path)
        : m_path(std::move(path)) {}
    void create();
    const QString& path() const { return m_path; }
    // NRSEQCIAP and COMPETENCIA of the competência holding n assets.
    QString sequenceFor(int assets) const;
    QString monthFor(int assets) const;

private:
    QString m_path;
    QStringList m_sequences;
};
