#include "DocumentReader.h"

#include "Readers.h"
#include "XmlTree.h"

#include <QFile>

namespace ciap::documents {

namespace {

const QString nfeNamespace = QStringLiteral("http://www.portalfiscal.inf.br/nfe");
const QString cteNamespace = QStringLiteral("http://www.portalfiscal.inf.br/cte");

[[noreturn]] void refuseRoot(Refusal code, const QString& text, const Element& root) {
    throw DocumentError(code, text, root.line());
}

} // namespace

FiscalDocument readDocument(const QByteArray& xml, const ReaderLimits& limits) {
    const XmlTree tree = XmlTree::parse(xml, limits);
    const Element root(&tree, 0);
    const QString name = root.name();
    if (tree.rootNamespace() == nfeNamespace) {
        if (name == u"nfeProc")
            return detail::readNfe(root);
        if (name == u"procEventoNFe")
            return detail::readNfeCancellation(root);
        if (name == u"NFe")
            refuseRoot(Refusal::NotAuthorised,
                       QStringLiteral("O arquivo é uma NF-e sem o protocolo de autorização "
                                      "(falta nfeProc/protNFe)."),
                       root);
    } else if (tree.rootNamespace() == cteNamespace) {
        if (name == u"cteProc")
            return detail::readCte(root);
        if (name == u"CTe")
            refuseRoot(Refusal::NotAuthorised,
                       QStringLiteral("O arquivo é um CT-e sem o protocolo de autorização "
                                      "(falta cteProc/protCTe)."),
                       root);
        if (name == u"procEventoCTe")
            refuseRoot(Refusal::UnsupportedEvent,
                       QStringLiteral("Eventos de CT-e não são suportados; só o cancelamento de "
                                      "NF-e é lido."),
                       root);
    }
    refuseRoot(Refusal::NotFiscalDocument,
               QStringLiteral("O arquivo não é uma NF-e, um CT-e nem um evento de cancelamento "
                              "de NF-e (elemento raiz \"%1\", namespace \"%2\").")
                   .arg(name, tree.rootNamespace()),
               root);
}

FiscalDocument readDocumentFile(const QString& path, const ReaderLimits& limits) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw DocumentError(Refusal::Unreadable,
                            QStringLiteral("Não foi possível abrir o arquivo %1: %2")
                                .arg(path, file.errorString()));
    auto tooLarge = [&] {
        return DocumentError(Refusal::TooLarge,
                             QStringLiteral("O arquivo %1 tem mais de %2 bytes, o limite de um "
                                            "documento fiscal; não foi lido.")
                                 .arg(path)
                                 .arg(limits.maxBytes));
    };
    if (file.size() > limits.maxBytes)
        throw tooLarge();
    // One byte past the limit tells a file that grew (or a device without a size) apart.
    const QByteArray bytes = file.read(limits.maxBytes + 1);
    if (bytes.size() > limits.maxBytes)
        throw tooLarge();
    if (file.error() != QFileDevice::NoError)
        throw DocumentError(
            Refusal::Unreadable,
            QStringLiteral("Não foi possível ler o arquivo %1: %2").arg(path, file.errorString()));
    return readDocument(bytes, limits);
}

} // namespace ciap::documents
