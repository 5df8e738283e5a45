#pragma once

#include <QByteArray>
#include <QString>

#include <memory>
#include <utility>
#include <vector>

namespace word::xml {

// A small editable XML tree. Names stay as written ("w:p"), namespace
// declarations stay ordinary attributes, and everything that is not touched
// is written back as it was read, so parts of a document we only pass
// through keep their meaning.
struct Node {
    enum class Kind { Element, Text, CData, Comment, Instruction };

    Kind kind = Kind::Element;
    QString name;   // element name, or the target of an instruction
    QString value;  // text, comment or instruction data
    std::vector<std::pair<QString, QString>> attributes;
    std::vector<std::unique_ptr<Node>> children;
    Node* parent = nullptr;
    // Where the node stands among its parent's children. insert() and
    // detach() keep it, so walking a document never searches the siblings;
    // change children only through them.
    std::size_t index = 0;

    static std::unique_ptr<Node> element(const QString& name);
    static std::unique_ptr<Node> text(const QString& text);

    bool isElement(const QString& elementName) const { return kind == Kind::Element && name == elementName; }
    QString attribute(const QString& attributeName) const;
    void setAttribute(const QString& attributeName, const QString& attributeValue);

    Node* append(std::unique_ptr<Node> child);
    Node* insert(std::size_t index, std::unique_ptr<Node> child);
    std::size_t indexInParent() const;
    // Takes the node out of its parent and hands it to the caller.
    std::unique_ptr<Node> detach();
    std::unique_ptr<Node> clone() const;

    Node* firstChild(const QString& elementName) const;
    // Next node in document order (children first), or nullptr.
    Node* next() const;
    // The next node in document order that is not inside this one.
    Node* nextSkippingChildren() const;
    bool contains(const Node* other) const;
    Node* ancestor(const QString& elementName) const;
    // All text of the subtree, markup left out.
    QString innerText() const;
};

struct Tree {
    std::unique_ptr<Node> root;
    bool standalone = false;
};

// Deeper nesting than any document needs is refused, so the tree can be
// copied, written and freed by recursion.
constexpr int MaxDepth = 1000;

// Throws word::Error with a German text when the data is not well-formed XML
// or nests elements deeper than MaxDepth.
Tree parse(const QByteArray& data, const QString& partName);
QByteArray serialize(const Tree& tree);

}  // namespace word::xml
