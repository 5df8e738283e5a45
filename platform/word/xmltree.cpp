#include "platform/word/xmltree.h"

#include "platform/word/error.h"

#include <QXmlStreamReader>
#include <QXmlStreamWriter>

namespace word::xml {

std::unique_ptr<Node> Node::element(const QString& name)
{
    auto node = std::make_unique<Node>();
    node->name = name;
    return node;
}

std::unique_ptr<Node> Node::text(const QString& text)
{
    auto node = std::make_unique<Node>();
    node->kind = Kind::Text;
    node->value = text;
    return node;
}

QString Node::attribute(const QString& attributeName) const
{
    for (const auto& [key, val] : attributes) {
        if (key == attributeName)
            return val;
    }
    return {};
}

void Node::setAttribute(const QString& attributeName, const QString& attributeValue)
{
    for (auto& [key, val] : attributes) {
        if (key == attributeName) {
            val = attributeValue;
            return;
        }
    }
    attributes.emplace_back(attributeName, attributeValue);
}

Node* Node::append(std::unique_ptr<Node> child)
{
    return insert(children.size(), std::move(child));
}

namespace {

void renumber(std::vector<std::unique_ptr<Node>>& nodes, std::size_t from)
{
    for (std::size_t i = from; i < nodes.size(); ++i)
        nodes[i]->index = i;
}

}  // namespace

Node* Node::insert(std::size_t at, std::unique_ptr<Node> child)
{
    child->parent = this;
    Node* raw = child.get();
    children.insert(children.begin() + static_cast<std::ptrdiff_t>(at), std::move(child));
    renumber(children, at);
    return raw;
}

std::size_t Node::indexInParent() const
{
    return index;
}

std::unique_ptr<Node> Node::detach()
{
    auto& siblings = parent->children;
    const std::size_t at = index;
    std::unique_ptr<Node> self = std::move(siblings[at]);
    siblings.erase(siblings.begin() + static_cast<std::ptrdiff_t>(at));
    renumber(siblings, at);
    self->parent = nullptr;
    self->index = 0;
    return self;
}

std::unique_ptr<Node> Node::clone() const
{
    auto copy = std::make_unique<Node>();
    copy->kind = kind;
    copy->name = name;
    copy->value = value;
    copy->attributes = attributes;
    for (const auto& child : children)
        copy->append(child->clone());
    return copy;
}

Node* Node::firstChild(const QString& elementName) const
{
    for (const auto& child : children) {
        if (child->isElement(elementName))
            return child.get();
    }
    return nullptr;
}

Node* Node::next() const
{
    if (!children.empty())
        return children.front().get();
    return nextSkippingChildren();
}

Node* Node::nextSkippingChildren() const
{
    for (const Node* node = this; node->parent; node = node->parent) {
        const std::size_t index = node->indexInParent();
        if (index + 1 < node->parent->children.size())
            return node->parent->children[index + 1].get();
    }
    return nullptr;
}

bool Node::contains(const Node* other) const
{
    for (; other; other = other->parent) {
        if (other == this)
            return true;
    }
    return false;
}

Node* Node::ancestor(const QString& elementName) const
{
    for (Node* node = parent; node; node = node->parent) {
        if (node->isElement(elementName))
            return node;
    }
    return nullptr;
}

QString Node::innerText() const
{
    if (kind == Kind::Text || kind == Kind::CData)
        return value;
    QString result;
    for (const auto& child : children)
        result += child->innerText();
    return result;
}

Tree parse(const QByteArray& data, const QString& partName)
{
    Tree tree;
    QXmlStreamReader reader(data);
    reader.setNamespaceProcessing(false);
    Node* current = nullptr;
    int depth = 0;
    while (!reader.atEnd()) {
        switch (reader.readNext()) {
        case QXmlStreamReader::StartDocument:
            tree.standalone = reader.isStandaloneDocument();
            break;
        case QXmlStreamReader::StartElement: {
            if (++depth > MaxDepth)
                throw Error(QStringLiteral("Der Teil \"%1\" des Dokuments ist zu tief verschachtelt (mehr als %2 Ebenen).")
                                .arg(partName)
                                .arg(MaxDepth));
            auto node = Node::element(reader.qualifiedName().toString());
            for (const auto& attr : reader.attributes())
                node->attributes.emplace_back(attr.qualifiedName().toString(), attr.value().toString());
            if (current) {
                current = current->append(std::move(node));
            } else {
                tree.root = std::move(node);
                current = tree.root.get();
            }
            break;
        }
        case QXmlStreamReader::EndElement:
            current = current->parent;
            --depth;
            break;
        case QXmlStreamReader::Characters:
            // Text outside the root element can only be layout whitespace.
            if (current) {
                auto node = Node::text(reader.text().toString());
                if (reader.isCDATA())
                    node->kind = Node::Kind::CData;
                current->append(std::move(node));
            }
            break;
        case QXmlStreamReader::Comment:
            if (current) {
                auto node = std::make_unique<Node>();
                node->kind = Node::Kind::Comment;
                node->value = reader.text().toString();
                current->append(std::move(node));
            }
            break;
        case QXmlStreamReader::ProcessingInstruction:
            if (current) {
                auto node = std::make_unique<Node>();
                node->kind = Node::Kind::Instruction;
                node->name = reader.processingInstructionTarget().toString();
                node->value = reader.processingInstructionData().toString();
                current->append(std::move(node));
            }
            break;
        case QXmlStreamReader::EntityReference:
            throw Error(QStringLiteral("Der Teil \"%1\" des Dokuments enthält einen unbekannten XML-Verweis \"&%2;\".")
                            .arg(partName, reader.name().toString()));
        default:
            break;
        }
    }
    if (reader.hasError() || !tree.root) {
        // The reader's own words are English: its line tells where.
        const QString reason = reader.hasError() ? QStringLiteral("Fehler in Zeile %1").arg(reader.lineNumber())
                                                 : QStringLiteral("leer");
        throw Error(QStringLiteral("Der Teil \"%1\" des Dokuments ist kein gültiges XML (%2).").arg(partName, reason));
    }
    return tree;
}

namespace {

void write(QXmlStreamWriter& writer, const Node& node)
{
    switch (node.kind) {
    case Node::Kind::Element:
        writer.writeStartElement(node.name);
        for (const auto& [key, val] : node.attributes)
            writer.writeAttribute(key, val);
        for (const auto& child : node.children)
            write(writer, *child);
        writer.writeEndElement();
        break;
    case Node::Kind::Text:
        writer.writeCharacters(node.value);
        break;
    case Node::Kind::CData:
        writer.writeCDATA(node.value);
        break;
    case Node::Kind::Comment:
        writer.writeComment(node.value);
        break;
    case Node::Kind::Instruction:
        writer.writeProcessingInstruction(node.name, node.value);
        break;
    }
}

}  // namespace

QByteArray serialize(const Tree& tree)
{
    QByteArray data;
    QXmlStreamWriter writer(&data);
    writer.setAutoFormatting(false);
    writer.writeStartDocument(QStringLiteral("1.0"), tree.standalone);
    write(writer, *tree.root);
    writer.writeEndDocument();
    return data;
}

}  // namespace word::xml
