#pragma once

#include <QList>
#include <QString>

namespace ciap::server {

// What the documents' figures become in the register: which items are assets, how an item's
// ICMS is shared among the assets made of it and a freight's ICMS among the items it carried,
// and the value an outgoing item counts with. Whole cents throughout.
class DocumentRules final {
public:
    // An item of whole quantity up to this many units becomes one asset per unit.
    static constexpr int MaxAssetsPerItem = 1000;

    // Shares of amount in proportion to the weights, each cut down to the cent; the cents the
    // cuts leave go to the last share, so that the shares add up to the amount. Equal shares
    // when every weight is zero. Empty weights give no shares.
    static QList<qint64> apportion(qint64 amount, const QList<qint64>& weights);
    // The assets an item of this quantity (hundred-thousandths) becomes: one per unit for a
    // whole quantity from 1 to MaxAssetsPerItem; one holding all of it otherwise (a fraction,
    // as 2.5 m of a conveyor, is one asset, and so is a quantity too large to list unit by
    // unit).
    static int assetCount(qint64 quantity);

    // The buyer's own entry CFOP of an asset: x.551 bought for the fixed assets, x.406 bought
    // under tax substitution (1, 2 and 3.xxx).
    static bool isAssetEntryCfop(int cfop);
    // The exit an outgoing item records, by its CFOP (5, 6 and 7.xxx): "V" for a sale (x.551)
    // or a transfer (x.552), "O" for a return of the purchase (x.553, and x.412 for an asset
    // bought under tax substitution); empty for any other CFOP.
    static QString exitKind(int cfop);

    // The parts of an outgoing item's value ("valor contábil", EFD C190 VL_OPR).
    struct ItemValues {
        qint64 products = 0;  // vProd
        qint64 freight = 0;   // vFrete
        qint64 insurance = 0; // vSeg
        qint64 other = 0;     // vOutro
        qint64 st = 0;        // vICMSST
        qint64 fcpSt = 0;     // vFCPST
        qint64 ipi = 0;       // vIPI
        qint64 discount = 0;  // vDesc
    };
    static qint64 operationValue(const ItemValues& values);
};

} // namespace ciap::server
