#include "BookLayout.h"

#include "BookCanvas.h"
#include "BookFormat.h"

#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>

#include <algorithm>

namespace ciap::book {

namespace {

// Points on the A4 sheet within its margins.
constexpr double kWidth = 527.2;
constexpr double kBottom = 754; // above the footer
constexpr double kBody = 70;    // below the title and the identification
constexpr double kHeaderRow = 22;
constexpr double kAssetRow = 22; // model C: two lines per asset
constexpr double kTotalRow = 14;
constexpr double kLineRow = 12; // model D: one line per instalment
// Model C: the month's figures take the top of the first sheet.
constexpr double kAssetsFirst = 158;
constexpr int kRowsFirst = int((kBottom - kAssetsFirst - kHeaderRow - kTotalRow) / kAssetRow);
constexpr int kRowsNext = int((kBottom - kBody - kHeaderRow - kTotalRow) / kAssetRow);
// Model D: the asset's facts, then its instalments in two columns.
constexpr double kLinesTop = 194;
constexpr int kLinesPerColumn = 40;

// What one sheet shows: model C a run of assets, model D a run of one asset's lines.
struct Sheet {
    int asset = 0;
    int first = 0;
    int count = 0;
};

QList<Sheet> plan(const CiapBook& book) {
    QList<Sheet> sheets;
    if (book.model == BookModel::C) {
        const int n = int(book.assets.size());
        int at = 0;
        do {
            const int room = sheets.isEmpty() ? kRowsFirst : kRowsNext;
            sheets << Sheet{0, at, std::min(room, n - at)};
            at += room;
        } while (at < n);
        return sheets;
    }
    for (int a = 0; a < book.assets.size(); ++a) {
        const int n = int(book.assets[a].lines.size());
        int at = 0;
        do {
            sheets << Sheet{a, at, std::min(2 * kLinesPerColumn, n - at)};
            at += 2 * kLinesPerColumn;
        } while (at < n);
    }
    return sheets;
}

class PagePainter {
public:
    PagePainter(BookCanvas& canvas, const CiapBook& book)
        : c(canvas)
        , m_book(book) {}

    void paint(const Sheet& sheet, int page, int pages) {
        header();
        footer(page, pages);
        if (m_book.model == BookModel::C)
            modelC(sheet, page == 0, page == pages - 1);
        else
            modelD(sheet);
    }

private:
    void header() {
        const BookHeader& h = m_book.header;
        c.text({0, 0, kWidth, 14},
               QStringLiteral("LIVRO DE CONTROLE DE CRÉDITO DE ICMS DO ATIVO PERMANENTE – CIAP"),
               11, Font::Bold);
        const QString what = m_book.model == BookModel::C
                                 ? QStringLiteral("Modelo C – mês %1").arg(h.month)
                                 : QStringLiteral("Modelo D – ficha do bem – mês %1").arg(h.month);
        c.text({0, 16, kWidth, 12}, what, 9, Font::Bold);
        c.box({0, 32, kWidth, 30});
        c.text({4, 35, kWidth - 8, 11},
               QStringLiteral("Contribuinte: %1 (empresa %2)").arg(h.companyName, h.company), 8);
        c.text({4, 48, kWidth - 8, 11},
               QStringLiteral("CNPJ: %1     Inscrição estadual: %2     UF: %3     Imposto: %4 – %5")
                   .arg(BookFormat::cnpj(h.cnpj), h.registration, h.uf, h.tax, h.taxName),
               8);
    }

    void footer(int page, int pages) {
        const BookHeader& h = m_book.header;
        c.rule(kBottom + 6, kWidth);
        c.text({0, kBottom + 8, kWidth * 0.7, 10},
               QStringLiteral("Livro CIAP – %1 – inscrição %2 – %3")
                   .arg(BookFormat::modelTitle(m_book.model), h.registration, h.month),
               7);
        c.text({kWidth * 0.7, kBottom + 8, kWidth * 0.3, 10},
               QStringLiteral("Folha %1 de %2").arg(page + 1).arg(pages), 7, Font::Regular,
               Qt::AlignRight);
    }

    void modelC(const Sheet& sheet, bool first, bool last) {
        double y = kBody;
        if (first) {
            monthFigures();
            y = kAssetsFirst - 14;
        }
        c.text({0, y, kWidth, 12},
               first ? QStringLiteral("Bens com parcela ou saída no mês")
                     : QStringLiteral("Bens com parcela ou saída no mês (continuação)"),
               8, Font::Bold);
        y += 14;
        const QList<Column> columns = {{QStringLiteral("Código"), 46, Qt::AlignLeft},
                                       {QStringLiteral("Bem"), 96, Qt::AlignLeft},
                                       {QStringLiteral("Entrada"), 44, Qt::AlignLeft},
                                       {QStringLiteral("Documento de entrada"), 74, Qt::AlignLeft},
                                       {QStringLiteral("Crédito do bem"), 50, Qt::AlignRight},
                                       {QStringLiteral("Parcela"), 32, Qt::AlignHCenter},
                                       {QStringLiteral("Valor da parcela"), 46, Qt::AlignRight},
                                       {QStringLiteral("Creditado no mês"), 46, Qt::AlignRight},
                                       {QStringLiteral("Saída ou baixa"), 48, Qt::AlignLeft},
                                       {QStringLiteral("Saldo a apropriar"), 45, Qt::AlignRight}};
        c.headerRow(columns, 0, y, kHeaderRow);
        y += kHeaderRow;
        if (m_book.assets.isEmpty()) {
            c.text({4, y + 4, kWidth - 8, 10},
                   QStringLiteral("Nenhum bem tem parcela ou saída no mês."), 7);
            y += kAssetRow;
        }
        for (int i = sheet.first; i < sheet.first + sheet.count; ++i) {
            c.row(columns, 0, y, kAssetRow, assetCells(m_book.assets[i]));
            y += kAssetRow;
        }
        if (!last)
            return;
        qint64 instalments = 0;
        qint64 credited = 0;
        for (const BookAsset& a : m_book.assets) {
            instalments += a.loaded ? a.instalmentCents : 0;
            credited += a.appropriatedCents;
        }
        QList<QStringList> totals(columns.size());
        totals[0] = QStringList{QStringLiteral("Total")};
        totals[6] = QStringList{BookFormat::money(instalments)};
        totals[7] = QStringList{BookFormat::money(credited)};
        c.row(columns, 0, y, kTotalRow, totals, Font::Bold);
    }

    void monthFigures() {
        const BookMonth& f = m_book.figures;
        c.text({0, kBody, kWidth, 12}, QStringLiteral("Apuração do mês"), 8, Font::Bold);
        const double w = kWidth / 5;
        const QList<Column> columns = {
            {QStringLiteral("Saídas tributadas e exportações"), w, Qt::AlignRight},
            {QStringLiteral("Total das saídas"), w, Qt::AlignRight},
            {QStringLiteral("Coeficiente de creditamento"), w, Qt::AlignRight},
            {QStringLiteral("Saldo acumulado (soma das parcelas)"), w, Qt::AlignRight},
            {QStringLiteral("Crédito do mês"), w, Qt::AlignRight}};
        c.headerRow(columns, 0, kBody + 14, kHeaderRow);
        c.row(columns, 0, kBody + 14 + kHeaderRow, kTotalRow,
              {{BookFormat::money(f.taxedCents)},
               {BookFormat::money(f.totalCents)},
               {BookFormat::coefficient(f.coefficient)},
               {BookFormat::money(f.balanceCents)},
               {BookFormat::money(f.creditCents)}});
        const QString note =
            m_book.header.wholeBalance
                ? QStringLiteral("Imposto de crédito integral: o saldo acumulado é creditado por "
                                 "inteiro, sem coeficiente.")
                : QStringLiteral("Crédito do mês = saldo acumulado × coeficiente (saídas "
                                 "tributadas ÷ total das saídas). Cada parcela é a fração mensal "
                                 "(1/48) do crédito do bem.");
        c.text({0, kBody + 14 + kHeaderRow + kTotalRow + 3, kWidth, 10}, note, 7);
    }

    QList<QStringList> assetCells(const BookAsset& a) const {
        const QString none = QStringLiteral("–");
        QStringList document{none};
        if (a.entryDocument) {
            document = {QStringLiteral("%1 nº %2")
                            .arg(kind(a.entryDocument->model), a.entryDocument->number),
                        a.entryDocument->series.isEmpty()
                            ? QString()
                            : QStringLiteral("série %1").arg(a.entryDocument->series)};
        }
        QStringList exit{none};
        if (a.exitDate.isValid())
            exit = {BookFormat::date(a.exitDate), BookFormat::exitKind(a.exitKind)};
        const QStringList instalment =
            a.loaded
                ? QStringList{QStringLiteral("%1/%2").arg(a.instalmentNumber).arg(a.instalments)}
                : QStringList{none, QStringLiteral("sem parcela")};
        return {{a.code},
                {a.name, a.patrimony.isEmpty() ? QString()
                                               : QStringLiteral("Patrimônio %1").arg(a.patrimony)},
                {BookFormat::date(a.entry)},
                document,
                {BookFormat::money(a.creditCents())},
                instalment,
                {a.loaded ? BookFormat::money(a.instalmentCents) : none},
                {a.loaded ? BookFormat::money(a.appropriatedCents) : none},
                exit,
                {BookFormat::money(a.remainingCents)}};
    }

    static QString kind(const QString& model) {
        return model == QLatin1String("55")   ? QStringLiteral("NF-e")
               : model == QLatin1String("57") ? QStringLiteral("CT-e")
                                              : QStringLiteral("NF");
    }

    void modelD(const Sheet& sheet) {
        const BookAsset& a = m_book.assets[sheet.asset];
        c.text({0, kBody, kWidth, 12}, QStringLiteral("Bem"), 8, Font::Bold);
        const QString none = QStringLiteral("não houve");
        const QStringList facts = {
            QStringLiteral("Código: %1     Descrição: %2%3")
                .arg(a.code, a.name,
                     a.patrimony.isEmpty()
                         ? QString()
                         : QStringLiteral("     Patrimônio: %1").arg(a.patrimony)),
            QStringLiteral("Data de entrada: %1     Documento de entrada: %2")
                .arg(BookFormat::date(a.entry), a.entryDocument
                                                    ? BookFormat::document(*a.entryDocument)
                                                    : QStringLiteral("não informado")),
            a.entryDocument ? QStringLiteral("Chave de acesso: %1     Emitente: %2")
                                  .arg(a.entryDocument->key.isEmpty() ? QStringLiteral("–")
                                                                      : a.entryDocument->key,
                                       BookFormat::cnpj(a.entryDocument->participant))
                            : QString(),
            QStringLiteral("Saída ou baixa: %1")
                .arg(a.exitDate.isValid()
                         ? QStringLiteral("%1, %2%3")
                               .arg(BookFormat::date(a.exitDate), BookFormat::exitKind(a.exitKind),
                                    a.exitDocument ? QStringLiteral(" – ") +
                                                         BookFormat::document(*a.exitDocument)
                                                   : QString())
                         : none)};
        double y = kBody + 14;
        for (const QString& line : facts) {
            c.text({0, y, kWidth, 11}, line, 8);
            y += 12;
        }
        const double w = kWidth / 7;
        const QList<Column> icms = {{QStringLiteral("ICMS próprio"), w, Qt::AlignRight},
                                    {QStringLiteral("ICMS-ST"), w, Qt::AlignRight},
                                    {QStringLiteral("ICMS do frete"), w, Qt::AlignRight},
                                    {QStringLiteral("Diferencial de alíquota"), w, Qt::AlignRight},
                                    {QStringLiteral("Crédito total"), w, Qt::AlignRight},
                                    {QStringLiteral("Parcelas"), w, Qt::AlignRight},
                                    {QStringLiteral("Valor da parcela"), w, Qt::AlignRight}};
        y += 4;
        c.headerRow(icms, 0, y, kHeaderRow);
        const qint64 instalment = a.instalments > 0 ? a.creditCents() / a.instalments : 0;
        c.row(icms, 0, y + kHeaderRow, kTotalRow,
              {{BookFormat::money(a.ownCents)},
               {BookFormat::money(a.stCents)},
               {BookFormat::money(a.freightCents)},
               {BookFormat::money(a.difalCents)},
               {BookFormat::money(a.creditCents())},
               {QString::number(a.instalments)},
               {BookFormat::money(instalment)}});
        c.text({0, kLinesTop - 14, kWidth, 12}, QStringLiteral("Apropriação mensal"), 8,
               Font::Bold);
        const int perColumn = (sheet.count + 1) / 2;
        const double gap = 15;
        const double half = (kWidth - gap) / 2;
        double bottom = kLinesTop;
        for (int column = 0; column < 2; ++column) {
            const int from = sheet.first + column * perColumn;
            const int to = std::min(sheet.first + sheet.count, from + perColumn);
            bottom = std::max(bottom, lineColumn(a, from, to, column * (half + gap)));
        }
        if (sheet.first + sheet.count < a.lines.size())
            return;
        qint64 credited = 0;
        int appropriated = 0;
        for (const BookLine& l : a.lines) {
            if (l.state == BookLine::State::Appropriated) {
                credited += l.creditedCents;
                ++appropriated;
            }
        }
        c.text({0, bottom + 6, kWidth, 11},
               QStringLiteral("Creditado até %1: %2 em %3 mês(es) apropriado(s). Saldo a "
                              "apropriar após o mês: %4.")
                   .arg(m_book.header.month, BookFormat::money(credited))
                   .arg(appropriated)
                   .arg(BookFormat::money(a.remainingCents)),
               8, Font::Bold);
        c.text({0, bottom + 20, kWidth, 10},
               QStringLiteral("Sem competência: o mês não foi apurado no registro. Pendente: "
                              "apurado mas não apropriado."),
               7);
        c.text({0, bottom + 30, kWidth, 10},
               QStringLiteral("Não carregado: apropriado sem o bem. Após a saída: nada mais se "
                              "credita do bem."),
               7);
    }

    // One column of instalment lines; gives where it ends.
    double lineColumn(const BookAsset& a, int from, int to, double x) {
        const QList<Column> columns = {{QStringLiteral("Parcela"), 34, Qt::AlignHCenter},
                                       {QStringLiteral("Mês"), 46, Qt::AlignHCenter},
                                       {QStringLiteral("Coeficiente"), 58, Qt::AlignRight},
                                       {QStringLiteral("Valor da parcela"), 57, Qt::AlignRight},
                                       {QStringLiteral("Creditado"), 61.1, Qt::AlignRight}};
        double y = kLinesTop;
        if (from >= to)
            return y;
        c.headerRow(columns, x, y, kHeaderRow);
        y += kHeaderRow;
        for (int i = from; i < to; ++i) {
            const BookLine& l = a.lines[i];
            QList<QStringList> cells = {{QString::number(l.number)}, {l.month}, {}, {}, {}};
            QString state;
            switch (l.state) {
            case BookLine::State::Appropriated:
                cells[2] = QStringList{BookFormat::coefficient(l.coefficient)};
                cells[3] = QStringList{BookFormat::money(l.instalmentCents)};
                cells[4] = QStringList{BookFormat::money(l.creditedCents)};
                break;
            case BookLine::State::Pending:
                state = QStringLiteral("pendente");
                break;
            case BookLine::State::NotStored:
                state = QStringLiteral("sem competência");
                break;
            case BookLine::State::NotLoaded:
                state = QStringLiteral("não carregado");
                break;
            case BookLine::State::AfterExit:
                state = QStringLiteral("após a saída");
                break;
            case BookLine::State::Later:
                break;
            }
            if (state.isEmpty()) {
                c.row(columns, x, y, kLineRow, cells);
            } else {
                // Why the month has no figures, across the three columns it leaves empty.
                const QList<Column> merged = {
                    columns[0],
                    columns[1],
                    {QString(), columns[2].width + columns[3].width + columns[4].width,
                     Qt::AlignHCenter}};
                c.row(merged, x, y, kLineRow, {cells[0], cells[1], {state}});
            }
            y += kLineRow;
        }
        return y;
    }

    BookCanvas& c;
    const CiapBook& m_book;
};

} // namespace

QPageLayout BookLayout::pageLayout() {
    return QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(12, 12, 12, 12),
                       QPageLayout::Millimeter);
}

int BookLayout::pageCount(const CiapBook& book) {
    return int(plan(book).size());
}

void BookLayout::paint(const CiapBook& book, QPagedPaintDevice& device) {
    device.setPageLayout(pageLayout());
    const QList<Sheet> sheets = plan(book);
    QPainter painter(&device);
    BookCanvas canvas(painter, device.logicalDpiY());
    PagePainter pages(canvas, book);
    for (int i = 0; i < sheets.size(); ++i) {
        if (i > 0)
            device.newPage();
        pages.paint(sheets[i], i, int(sheets.size()));
    }
}

void BookLayout::writePdf(const CiapBook& book, QIODevice& out) {
    QPdfWriter writer(&out);
    writer.setResolution(600);
    writer.setCreator(QStringLiteral("ciap"));
    writer.setTitle(
        QStringLiteral("Livro CIAP %1 – %2 – %3")
            .arg(BookFormat::modelTitle(book.model), book.header.registration, book.header.month));
    paint(book, writer);
}

QImage BookLayout::pageImage(const CiapBook& book, int page, int dpi) {
    const QList<Sheet> sheets = plan(book);
    const QPageLayout layout = pageLayout();
    QImage image(layout.fullRectPixels(dpi).size(), QImage::Format_RGB32);
    image.setDotsPerMeterX(qRound(dpi / 0.0254));
    image.setDotsPerMeterY(qRound(dpi / 0.0254));
    image.fill(Qt::white);
    if (page < 0 || page >= sheets.size())
        return image;
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(layout.paintRectPixels(dpi).topLeft());
    BookCanvas canvas(painter, dpi);
    PagePainter(canvas, book).paint(sheets[page], page, int(sheets.size()));
    return image;
}

} // namespace ciap::book
