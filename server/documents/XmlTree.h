#pragma once

#include "DocumentError.h"
#include "ReaderLimits.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <vector>

namespace ciap::documents {

// The elements of one document in the namespace of its root, with their trimmed text and
// attributes. Elements of other namespaces (the XML signature) are checked for
// well-formedness and limits, then left out.
class XmlTree {
public:
    struct Node {
        QString name;
        QString text;
        QList<std::pair<QString, QString>> attributes;
        int parent = -1;
        int firstChild = -1;
        int lastChild = -1;
        int nextSibling = -1;
        qint64 line = 0;
    };

    // Throws DocumentError: MalformedXml (with line and column), DtdForbidden, TooLarge,
    // NotFiscalDocument when there is no root element.
    static XmlTree parse(const QByteArray& bytes, const ReaderLimits& limits);

    const Node& node(int index) const { return m_nodes[size_t(index)]; }
    const QString& rootNamespace() const { return m_rootNamespace; }

private:
    std::vector<Node> m_nodes; // 0 is the root element
    QString m_rootNamespace;
};

// A read-only view on one element of a tree; null when the element is absent.
class Element {
public:
    Element() = default;
    Element(const XmlTree* tree, int index)
        : m_tree(tree)
        , m_index(index) {}

    bool isNull() const { return m_tree == nullptr || m_index < 0; }
    QString name() const;
    QString text() const; // empty for a null element
    QString attribute(QStringView name) const;
    qint64 line() const;
    Element parent() const;
    Element child(QStringView name) const; // the first one; null when absent
    QList<Element> children(QStringView name) const;
    QList<Element> children() const;
    QString path() const; // "NFe/infNFe/ide" from the root's child

private:
    const XmlTree* m_tree = nullptr;
    int m_index = -1;
};

} // namespace ciap::documents
