#include "XmlTree.h"

#include <QStringList>
#include <QXmlStreamReader>

namespace ciap::documents {

namespace {

[[noreturn]] void refuseMalformed(const QXmlStreamReader& reader) {
    const QString detail = reader.error() == QXmlStreamReader::PrematureEndOfDocumentError
                               ? QStringLiteral("o arquivo termina antes do fim do documento")
                               : reader.errorString();
    throw DocumentError(Refusal::MalformedXml,
                        QStringLiteral("O arquivo não é um XML válido: %1").arg(detail),
                        reader.lineNumber(), reader.columnNumber());
}

} // namespace

XmlTree XmlTree::parse(const QByteArray& bytes, const ReaderLimits& limits) {
    if (bytes.size() > limits.maxBytes)
        throw DocumentError(Refusal::TooLarge,
                            QStringLiteral("O arquivo tem %1 bytes; o limite é %2 bytes.")
                                .arg(bytes.size())
                                .arg(limits.maxBytes));
    if (bytes.trimmed().isEmpty())
        throw DocumentError(Refusal::MalformedXml, QStringLiteral("O arquivo está vazio."));
    XmlTree tree;
    QXmlStreamReader reader(bytes);
    int current = -1; // the innermost kept element
    int depth = 0;
    int skipDepth = 0; // > 0 inside an element of another namespace
    int elements = 0;
    bool seenRoot = false;

    while (!reader.atEnd()) {
        switch (reader.readNext()) {
        case QXmlStreamReader::DTD:
            // No fiscal document has a DOCTYPE; refusing it outright means no entity is ever
            // declared, so entity expansion and external entities cannot happen.
            throw DocumentError(Refusal::DtdForbidden,
                                QStringLiteral("O arquivo contém uma declaração DOCTYPE, que "
                                               "documentos fiscais não têm; não foi lido."),
                                reader.lineNumber(), reader.columnNumber());
        case QXmlStreamReader::EntityReference:
            throw DocumentError(
                Refusal::MalformedXml,
                QStringLiteral("O arquivo usa a entidade não declarada \"%1\".").arg(reader.name()),
                reader.lineNumber(), reader.columnNumber());
        case QXmlStreamReader::StartElement: {
            if (++depth > limits.maxDepth)
                throw DocumentError(Refusal::TooLarge,
                                    QStringLiteral("O XML tem mais de %1 níveis de elementos.")
                                        .arg(limits.maxDepth),
                                    reader.lineNumber(), reader.columnNumber());
            if (++elements > limits.maxElements)
                throw DocumentError(
                    Refusal::TooLarge,
                    QStringLiteral("O XML tem mais de %1 elementos.").arg(limits.maxElements),
                    reader.lineNumber(), reader.columnNumber());
            if (!seenRoot) {
                seenRoot = true;
                tree.m_rootNamespace = reader.namespaceUri().toString();
            } else if (skipDepth > 0 || reader.namespaceUri() != tree.m_rootNamespace) {
                ++skipDepth;
                break;
            }
            Node node;
            node.name = reader.name().toString();
            node.parent = current;
            node.line = reader.lineNumber();
            for (const QXmlStreamAttribute& attribute : reader.attributes())
                if (attribute.namespaceUri().isEmpty())
                    node.attributes.append(
                        {attribute.name().toString(), attribute.value().trimmed().toString()});
            const int index = int(tree.m_nodes.size());
            if (current >= 0) {
                Node& parent = tree.m_nodes[size_t(current)];
                if (parent.lastChild >= 0)
                    tree.m_nodes[size_t(parent.lastChild)].nextSibling = index;
                else
                    parent.firstChild = index;
                parent.lastChild = index;
            }
            tree.m_nodes.push_back(std::move(node));
            current = index;
            break;
        }
        case QXmlStreamReader::EndElement:
            --depth;
            if (skipDepth > 0) {
                --skipDepth;
                break;
            }
            tree.m_nodes[size_t(current)].text =
                std::move(tree.m_nodes[size_t(current)].text).trimmed();
            current = tree.m_nodes[size_t(current)].parent;
            break;
        case QXmlStreamReader::Characters:
            // Only leaf text matters; the indentation between elements is dropped here.
            if (skipDepth == 0 && current >= 0 && !reader.isWhitespace())
                tree.m_nodes[size_t(current)].text += reader.text();
            break;
        default:
            break;
        }
    }
    if (reader.hasError())
        refuseMalformed(reader);
    if (tree.m_nodes.empty())
        throw DocumentError(Refusal::NotFiscalDocument,
                            QStringLiteral("O arquivo não tem nenhum elemento XML."));
    return tree;
}

QString Element::name() const {
    return isNull() ? QString() : m_tree->node(m_index).name;
}

QString Element::text() const {
    return isNull() ? QString() : m_tree->node(m_index).text;
}

QString Element::attribute(QStringView name) const {
    if (isNull())
        return {};
    for (const auto& [key, value] : m_tree->node(m_index).attributes)
        if (key == name)
            return value;
    return {};
}

qint64 Element::line() const {
    return isNull() ? 0 : m_tree->node(m_index).line;
}

Element Element::parent() const {
    return isNull() ? Element() : Element(m_tree, m_tree->node(m_index).parent);
}

Element Element::child(QStringView name) const {
    if (isNull())
        return {};
    for (int i = m_tree->node(m_index).firstChild; i >= 0; i = m_tree->node(i).nextSibling)
        if (m_tree->node(i).name == name)
            return Element(m_tree, i);
    return {};
}

QList<Element> Element::children(QStringView name) const {
    QList<Element> result;
    if (!isNull())
        for (int i = m_tree->node(m_index).firstChild; i >= 0; i = m_tree->node(i).nextSibling)
            if (m_tree->node(i).name == name)
                result.append(Element(m_tree, i));
    return result;
}

QList<Element> Element::children() const {
    QList<Element> result;
    if (!isNull())
        for (int i = m_tree->node(m_index).firstChild; i >= 0; i = m_tree->node(i).nextSibling)
            result.append(Element(m_tree, i));
    return result;
}

QString Element::path() const {
    QStringList names;
    // Items are told apart by their number: det[2]/prod/vProd.
    for (Element e = *this; !e.isNull() && e.m_index > 0; e = e.parent()) {
        const QString item = e.attribute(u"nItem");
        names.prepend(item.isEmpty() ? e.name() : e.name() + u'[' + item + u']');
    }
    return names.join(u'/');
}

} // namespace ciap::documents
