#include "platform/word/document.h"

#include "platform/runtime/fileerror.h"
#include "platform/word/xmltree.h"
#include "platform/word/ziparchive.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <cerrno>
#include <map>
#include <optional>
#include <utility>
#include <vector>

namespace word {

using xml::Node;

namespace {

const QString ContentTypesPart = QStringLiteral("[Content_Types].xml");
const QString TemplateMainType =
    QStringLiteral("application/vnd.openxmlformats-officedocument.wordprocessingml.template.main+xml");
const QString DocumentMainType =
    QStringLiteral("application/vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml");
const QString SettingsType = QStringLiteral("application/vnd.openxmlformats-officedocument.wordprocessingml.settings+xml");
const QString SettingsRelType =
    QStringLiteral("http://schemas.openxmlformats.org/officeDocument/2006/relationships/settings");
const QString RelationshipsNs = QStringLiteral("http://schemas.openxmlformats.org/package/2006/relationships");
const QString MainNs = QStringLiteral("http://schemas.openxmlformats.org/wordprocessingml/2006/main");

// Word-processing markup is read with its usual "w:" prefix; documents from
// every common word processor write it that way.
const QString P = QStringLiteral("w:p");
const QString R = QStringLiteral("w:r");
const QString RPr = QStringLiteral("w:rPr");
const QString PPr = QStringLiteral("w:pPr");
const QString BookmarkStart = QStringLiteral("w:bookmarkStart");
const QString BookmarkEnd = QStringLiteral("w:bookmarkEnd");
const QString Name = QStringLiteral("w:name");
const QString Id = QStringLiteral("w:id");
const QString Val = QStringLiteral("w:val");

constexpr qint64 MaxFileSize = 512ll * 1024 * 1024;

bool isMarker(const Node* node)
{
    return node->isElement(BookmarkStart) || node->isElement(BookmarkEnd);
}

Node* nextSibling(const Node* node)
{
    const std::size_t index = node->indexInParent();
    return index + 1 < node->parent->children.size() ? node->parent->children[index + 1].get() : nullptr;
}

// Removes a node but keeps the bookmark marks inside it, in front of where it
// stood, so no other bookmark loses its start or end.
void removeKeepingMarkers(Node* node)
{
    std::vector<Node*> markers;
    for (Node* inner = node->next(); inner && node->contains(inner); inner = inner->next()) {
        if (isMarker(inner))
            markers.push_back(inner);
    }
    Node* parent = node->parent;
    std::size_t index = node->indexInParent();
    for (Node* marker : markers)
        parent->insert(index++, marker->detach());
    node->detach();
}

Node* firstRun(Node* node)
{
    if (node->isElement(R))
        return node;
    for (const auto& child : node->children) {
        if (Node* run = firstRun(child.get()))
            return run;
    }
    return nullptr;
}

// Characters XML 1.0 cannot carry would make the whole document unreadable.
bool allowedInXml(char16_t c)
{
    return c == u'\t' || c == u'\n' || c == u'\r' || (c >= 0x20 && c != 0xFFFE && c != 0xFFFF);
}

std::unique_ptr<Node> makeRun(const QString& text, const Node* runProperties)
{
    auto run = Node::element(R);
    if (runProperties)
        run->append(runProperties->clone());
    QString pending;
    const auto flush = [&] {
        if (pending.isEmpty())
            return;
        Node* t = run->append(Node::element(QStringLiteral("w:t")));
        t->setAttribute(QStringLiteral("xml:space"), QStringLiteral("preserve"));
        t->append(Node::text(pending));
        pending.clear();
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == u'\r' || c == u'\n') {
            if (c == u'\r' && i + 1 < text.size() && text.at(i + 1) == u'\n')
                ++i;
            flush();
            run->append(Node::element(QStringLiteral("w:br")));
        } else if (c == u'\t') {
            flush();
            run->append(Node::element(QStringLiteral("w:tab")));
        } else if (c.isSurrogate()) {
            // Only whole surrogate pairs are characters.
            if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
                pending += c;
                pending += text.at(++i);
            }
        } else if (allowedInXml(c.unicode())) {
            pending += c;
        }
    }
    flush();
    return run;
}

QString directoryOf(const QString& part)
{
    const qsizetype slash = part.lastIndexOf(QLatin1Char('/'));
    return slash < 0 ? QString() : part.left(slash + 1);
}

QString relsPartOf(const QString& part)
{
    return directoryOf(part) + QStringLiteral("_rels/") + part.mid(part.lastIndexOf(QLatin1Char('/')) + 1) +
           QStringLiteral(".rels");
}

QString resolveTarget(const QString& sourceDirectory, const QString& target)
{
    if (target.startsWith(QLatin1Char('/')))
        return QDir::cleanPath(target).mid(1);
    return QDir::cleanPath(sourceDirectory + target);
}

struct Bookmark {
    Node* start = nullptr;
    Node* end = nullptr;
    QString part;
};

}  // namespace

struct Document::Impl {
    QString path;
    std::vector<zip::Entry> entries;
    std::map<QString, xml::Tree> parsed;  // parts read as XML, by entry name
    std::map<QString, bool> changed;
    QString mainPart;
    QString settingsPart;
    std::vector<QString> stories;  // main part first

    zip::Entry* entry(const QString& name)
    {
        for (auto& e : entries) {
            if (e.name == name)
                return &e;
        }
        return nullptr;
    }

    xml::Tree& tree(const QString& name)
    {
        auto found = parsed.find(name);
        if (found != parsed.end())
            return found->second;
        zip::Entry* e = entry(name);
        if (!e)
            throw Error(QStringLiteral("Dem Dokument fehlt der Teil \"%1\".").arg(name));
        return parsed.emplace(name, xml::parse(e->data, name)).first->second;
    }

    // Relationship targets of a part by type suffix ("header", "settings", ...),
    // in the order they are listed.
    std::vector<std::pair<QString, QString>> relationships(const QString& part)
    {
        std::vector<std::pair<QString, QString>> result;
        const QString rels = relsPartOf(part);
        if (!entry(rels))
            return result;
        for (const auto& child : tree(rels).root->children) {
            if (child->kind != Node::Kind::Element || child->attribute(QStringLiteral("TargetMode")) == u"External")
                continue;
            const QString type = child->attribute(QStringLiteral("Type"));
            result.emplace_back(type.mid(type.lastIndexOf(QLatin1Char('/')) + 1),
                                resolveTarget(directoryOf(part), child->attribute(QStringLiteral("Target"))));
        }
        return result;
    }

    void load()
    {
        if (!entry(ContentTypesPart))
            throw Error(QStringLiteral("Die Datei \"%1\" ist kein Word-Dokument.").arg(QFileInfo(path).fileName()));
        tree(ContentTypesPart);
        for (const auto& [type, target] : relationships(QString())) {
            if (type == u"officeDocument" && mainPart.isEmpty())
                mainPart = target;
        }
        if (mainPart.isEmpty() && entry(QStringLiteral("word/document.xml")))
            mainPart = QStringLiteral("word/document.xml");
        if (mainPart.isEmpty() || !entry(mainPart))
            throw Error(QStringLiteral("Die Datei \"%1\" ist kein Word-Dokument.").arg(QFileInfo(path).fileName()));
        tree(mainPart);
        stories.push_back(mainPart);
        for (const auto& [type, target] : relationships(mainPart)) {
            if (!entry(target))
                continue;
            if (type == u"header" || type == u"footer" || type == u"footnotes" || type == u"endnotes") {
                tree(target);
                stories.push_back(target);
            } else if (type == u"settings" && settingsPart.isEmpty()) {
                settingsPart = target;
            }
        }
    }

    std::optional<Bookmark> find(const QString& name)
    {
        for (const QString& part : stories) {
            for (Node* node = tree(part).root.get(); node; node = node->next()) {
                if (!node->isElement(BookmarkStart) ||
                    node->attribute(Name).compare(name, Qt::CaseInsensitive) != 0)
                    continue;
                Bookmark bookmark{node, nullptr, part};
                const QString id = node->attribute(Id);
                for (Node* after = node->next(); after; after = after->next()) {
                    if (after->isElement(BookmarkEnd) && after->attribute(Id) == id) {
                        bookmark.end = after;
                        break;
                    }
                }
                if (!bookmark.end)
                    throw Error(QStringLiteral("Die Textmarke \"%1\" ist beschädigt: ihr Ende fehlt.").arg(name));
                return bookmark;
            }
        }
        return std::nullopt;
    }

    Bookmark require(const QString& name)
    {
        auto bookmark = find(name);
        if (!bookmark)
            throw Error(QStringLiteral("Die Textmarke \"%1\" gibt es im Dokument nicht.").arg(name));
        return *bookmark;
    }

    // Page numbers are brought up to date by every word processor on its own;
    // asking for a field update makes some of them ask the user first.
    bool hasFieldsBeyondPageNumbers()
    {
        static const QStringList pageNumbers = {QStringLiteral("PAGE"), QStringLiteral("NUMPAGES"),
                                                QStringLiteral("SECTIONPAGES")};
        const auto other = [](const QString& instruction) {
            const QString code = instruction.simplified().section(QLatin1Char(' '), 0, 0).toUpper();
            return !code.isEmpty() && !pageNumbers.contains(code);
        };
        for (const QString& part : stories) {
            bool codeFollows = false;  // the first instruction text after a field's begin names it
            for (Node* node = tree(part).root.get(); node; node = node->next()) {
                if (node->isElement(QStringLiteral("w:fldSimple"))) {
                    if (other(node->attribute(QStringLiteral("w:instr"))))
                        return true;
                } else if (node->isElement(QStringLiteral("w:fldChar"))) {
                    codeFollows = node->attribute(QStringLiteral("w:fldCharType")) == u"begin";
                } else if (node->isElement(QStringLiteral("w:instrText")) && codeFollows) {
                    const QString instruction = node->innerText();
                    if (!instruction.trimmed().isEmpty()) {
                        if (other(instruction))
                            return true;
                        codeFollows = false;
                    }
                }
            }
        }
        return false;
    }

    void addSettingsPart()
    {
        settingsPart = directoryOf(mainPart) + QStringLiteral("settings.xml");
        for (int n = 2; entry(settingsPart); ++n)
            settingsPart = directoryOf(mainPart) + QStringLiteral("settings%1.xml").arg(n);
        entries.push_back({settingsPart, {}});
        xml::Tree settings;
        settings.standalone = true;
        settings.root = Node::element(QStringLiteral("w:settings"));
        settings.root->setAttribute(QStringLiteral("xmlns:w"), MainNs);
        parsed[settingsPart] = std::move(settings);
        changed[settingsPart] = true;

        const QString rels = relsPartOf(mainPart);
        if (!entry(rels)) {
            entries.push_back({rels, {}});
            xml::Tree relsTree;
            relsTree.standalone = true;
            relsTree.root = Node::element(QStringLiteral("Relationships"));
            relsTree.root->setAttribute(QStringLiteral("xmlns"), RelationshipsNs);
            parsed[rels] = std::move(relsTree);
        }
        Node* root = tree(rels).root.get();
        QString id = QStringLiteral("rIdSettings");
        for (int n = 2;; ++n) {
            bool used = false;
            for (const auto& child : root->children)
                used = used || child->attribute(QStringLiteral("Id")) == id;
            if (!used)
                break;
            id = QStringLiteral("rIdSettings%1").arg(n);
        }
        Node* relationship = root->append(Node::element(QStringLiteral("Relationship")));
        relationship->setAttribute(QStringLiteral("Id"), id);
        relationship->setAttribute(QStringLiteral("Type"), SettingsRelType);
        relationship->setAttribute(QStringLiteral("Target"), settingsPart.mid(directoryOf(mainPart).size()));
        changed[rels] = true;

        Node* override = tree(ContentTypesPart).root->append(Node::element(QStringLiteral("Override")));
        override->setAttribute(QStringLiteral("PartName"), QLatin1Char('/') + settingsPart);
        override->setAttribute(QStringLiteral("ContentType"), SettingsType);
        changed[ContentTypesPart] = true;
    }
};

namespace {

Node* firstParagraphBetween(Node* from, Node* to)
{
    for (Node* node = from->next(); node && node != to; node = node->next()) {
        if (node->isElement(P))
            return node;
    }
    return nullptr;
}

Node* lastParagraphStartedBefore(Node* paragraph, Node* to)
{
    Node* last = paragraph;
    for (Node* node = paragraph->next(); node && node != to; node = node->next()) {
        if (node->isElement(P))
            last = node;
    }
    return last;
}

std::size_t afterParagraphProperties(const Node* paragraph)
{
    return !paragraph->children.empty() && paragraph->children.front()->isElement(PPr) ? 1 : 0;
}

const Node* precedingRunProperties(Node* paragraph, Node* stop)
{
    const Node* found = nullptr;
    for (Node* node = paragraph->next(); node && node != stop && paragraph->contains(node); node = node->next()) {
        if (node->isElement(R))
            found = node->firstChild(RPr);
    }
    return found;
}

// The character format of a paragraph mark, without its revision marks.
std::unique_ptr<Node> paragraphMarkProperties(const Node* paragraph)
{
    const Node* pPr = paragraph->firstChild(PPr);
    const Node* rPr = pPr ? pPr->firstChild(RPr) : nullptr;
    if (!rPr)
        return nullptr;
    auto copy = rPr->clone();
    for (const QString& revision : {QStringLiteral("w:ins"), QStringLiteral("w:del"), QStringLiteral("w:moveFrom"),
                                    QStringLiteral("w:moveTo"), QStringLiteral("w:rPrChange")}) {
        while (Node* mark = copy->firstChild(revision))
            mark->detach();
    }
    return copy;
}

QStringList splitLines(const QString& text)
{
    QString unified = text;
    unified.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    unified.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return unified.split(QLatin1Char('\n'));
}

// The paragraph properties a new paragraph of the same kind takes; a section
// break stays with the paragraph that ended the section.
std::unique_ptr<Node> paragraphPropertiesWithoutSection(const Node* pPr)
{
    auto copy = pPr->clone();
    while (Node* section = copy->firstChild(QStringLiteral("w:sectPr")))
        section->detach();
    return copy;
}

// Puts the text in after the bookmark start of an emptied bookmark. Each line
// after the first starts a new paragraph with the properties of the
// bookmark's paragraph, as the word processor does when Enter is typed, so a
// line of tab-aligned amounts keeps its tab stops; the bookmark end and the
// rest of the paragraph move to the last one. Where the bookmark sits inside
// other markup than the paragraph itself, lines are parted by line breaks.
void insertText(Node* start, Node* end, Node* paragraph, const QString& text, const Node* format)
{
    const QStringList lines = splitLines(text);
    if (lines.size() == 1 || start->parent != paragraph || !paragraph->contains(end)) {
        if (!text.isEmpty())
            start->parent->insert(start->indexInParent() + 1, makeRun(text, format));
        return;
    }
    std::size_t at = start->indexInParent() + 1;
    if (!lines.front().isEmpty())
        paragraph->insert(at++, makeRun(lines.front(), format));
    std::vector<std::unique_ptr<Node>> rest;
    while (paragraph->children.size() > at)
        rest.push_back(paragraph->children.back()->detach());

    Node* pPr = paragraph->firstChild(PPr);
    Node* container = paragraph->parent;
    std::size_t position = paragraph->indexInParent() + 1;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const bool last = i + 1 == lines.size();
        Node* next = container->insert(position++, Node::element(P));
        if (pPr)
            next->append(last ? pPr->clone() : paragraphPropertiesWithoutSection(pPr));
        if (!lines.at(i).isEmpty())
            next->append(makeRun(lines.at(i), format));
        if (last) {
            while (!rest.empty()) {
                next->append(std::move(rest.back()));
                rest.pop_back();
            }
        }
    }
    if (pPr) {
        while (Node* section = pPr->firstChild(QStringLiteral("w:sectPr")))
            section->detach();
    }
}

void fill(Node* start, Node* end, const QString& name, const QString& text)
{
    const auto cannot = [&name](const QString& why) {
        return Error(QStringLiteral("Die Textmarke \"%1\" kann nicht gefüllt werden: %2.").arg(name, why));
    };

    // A bookmark that starts before a paragraph begins at that paragraph's
    // text; one that ends after a paragraph ends at that paragraph's text.
    Node* startParagraph = start->ancestor(P);
    if (!startParagraph) {
        startParagraph = firstParagraphBetween(start, end);
        if (!startParagraph)
            throw cannot(QStringLiteral("sie umfasst keinen Absatz"));
        startParagraph->insert(afterParagraphProperties(startParagraph), start->detach());
    }
    Node* endParagraph = end->ancestor(P);
    if (!endParagraph) {
        endParagraph = lastParagraphStartedBefore(startParagraph, end);
        endParagraph->append(end->detach());
    }

    // Several paragraphs become one, as when their text is replaced by typing.
    if (startParagraph != endParagraph) {
        if (startParagraph->parent != endParagraph->parent)
            throw cannot(QStringLiteral("sie reicht über eine Tabelle oder einen Rahmen hinaus"));
        for (Node* node = nextSibling(startParagraph); node != endParagraph;) {
            Node* following = nextSibling(node);
            if (!isMarker(node))
                removeKeepingMarkers(node);
            node = following;
        }
        while (endParagraph->children.size() > afterParagraphProperties(endParagraph))
            startParagraph->append(endParagraph->children[afterParagraphProperties(endParagraph)]->detach());
        endParagraph->detach();
    }

    std::unique_ptr<Node> format;
    for (Node* node = start->nextSkippingChildren(); node && node != end;) {
        if (node->contains(end)) {
            node = node->next();
            continue;
        }
        Node* following = node->nextSkippingChildren();
        if (!isMarker(node)) {
            if (!format) {
                const Node* run = firstRun(node);
                if (const Node* rPr = run ? run->firstChild(RPr) : nullptr)
                    format = rPr->clone();
            }
            removeKeepingMarkers(node);
        }
        node = following;
    }
    if (!format) {
        if (const Node* rPr = precedingRunProperties(startParagraph, start))
            format = rPr->clone();
        else
            format = paragraphMarkProperties(startParagraph);
    }
    insertText(start, end, startParagraph, text, format.get());
}

QString textBetween(Node* start, Node* end)
{
    QString result;
    // A bookmark that starts before its first paragraph does not start with a
    // paragraph end; every other paragraph begun inside it does.
    bool firstParagraph = start->ancestor(P) == nullptr;
    for (Node* node = start->next(); node && node != end; node = node->next()) {
        // Properties hold tab stops, not tabs.
        while (node && (node->isElement(PPr) || node->isElement(RPr)) && !node->contains(end))
            node = node->nextSkippingChildren();
        if (!node || node == end)
            break;
        if (node->isElement(QStringLiteral("w:t")))
            result += node->innerText();
        else if (node->isElement(QStringLiteral("w:tab")))
            result += QLatin1Char('\t');
        else if (node->isElement(QStringLiteral("w:br")) || node->isElement(QStringLiteral("w:cr")))
            result += QLatin1Char('\n');
        else if (node->isElement(P) && !std::exchange(firstParagraph, false))
            result += QLatin1Char('\n');
    }
    return result;
}

}  // namespace

Document::Document(std::unique_ptr<Impl> impl) : d(std::move(impl)) {}
Document::Document(Document&&) noexcept = default;
Document& Document::operator=(Document&&) noexcept = default;
Document::~Document() = default;

Document Document::open(const QString& path)
{
    const QString shown = QDir::toNativeSeparators(path);
    QFile file(path);
    if (path.isEmpty() || !file.exists())
        throw Error(QStringLiteral("Die Datei \"%1\" gibt es nicht.").arg(shown));
    if (file.size() > MaxFileSize)
        throw Error(QStringLiteral("Die Datei \"%1\" ist zu groß für ein Word-Dokument.").arg(shown));
    if (!file.open(QIODevice::ReadOnly))
        throw Error(QStringLiteral("Die Datei \"%1\" kann nicht gelesen werden: %2.").arg(shown, rt::fileErrorReason(file.error(), errno)));
    const QByteArray data = file.readAll();
    file.close();

    auto impl = std::make_unique<Impl>();
    impl->path = path;
    impl->entries = zip::read(data, QFileInfo(path).fileName());
    impl->load();
    return Document(std::move(impl));
}

const QString& Document::sourcePath() const
{
    return d->path;
}

QStringList Document::bookmarks() const
{
    QStringList names;
    for (const QString& part : d->stories) {
        for (Node* node = d->tree(part).root.get(); node; node = node->next()) {
            if (node->isElement(BookmarkStart))
                names << node->attribute(Name);
        }
    }
    return names;
}

bool Document::hasBookmark(const QString& name) const
{
    return d->find(name).has_value();
}

QString Document::bookmarkText(const QString& name) const
{
    const Bookmark bookmark = d->require(name);
    return textBetween(bookmark.start, bookmark.end);
}

void Document::setBookmarkText(const QString& name, const QString& text)
{
    const Bookmark bookmark = d->require(name);
    fill(bookmark.start, bookmark.end, name, text);
    d->changed[bookmark.part] = true;
}

void Document::setUpdateFieldsOnOpen()
{
    if (!d->hasFieldsBeyondPageNumbers())
        return;
    if (d->settingsPart.isEmpty())
        d->addSettingsPart();
    Node* settings = d->tree(d->settingsPart).root.get();
    Node* flag = settings->firstChild(QStringLiteral("w:updateFields"));
    if (!flag) {
        // The settings are an ordered sequence; these come after the flag.
        static const QStringList later = {
            QStringLiteral("w:hdrShapeDefaults"), QStringLiteral("w:footnotePr"), QStringLiteral("w:endnotePr"),
            QStringLiteral("w:compat"), QStringLiteral("w:docVars"), QStringLiteral("w:rsids"),
            QStringLiteral("m:mathPr"), QStringLiteral("w:attachedSchema"), QStringLiteral("w:themeFontLang"),
            QStringLiteral("w:clrSchemeMapping"), QStringLiteral("w:doNotIncludeSubdocsInStats"),
            QStringLiteral("w:doNotAutoCompressPictures"), QStringLiteral("w:forceUpgrade"),
            QStringLiteral("w:captions"), QStringLiteral("w:readModeInkLockDown"), QStringLiteral("w:smartTagType"),
            QStringLiteral("sl:schemaLibrary"), QStringLiteral("w:shapeDefaults"),
            QStringLiteral("w:doNotEmbedSmartTags"), QStringLiteral("w:decimalSymbol"),
            QStringLiteral("w:listSeparator")};
        std::size_t index = settings->children.size();
        for (std::size_t i = 0; i < settings->children.size(); ++i) {
            const Node* child = settings->children[i].get();
            if (child->kind == Node::Kind::Element && later.contains(child->name)) {
                index = i;
                break;
            }
        }
        flag = settings->insert(index, Node::element(QStringLiteral("w:updateFields")));
    }
    flag->setAttribute(Val, QStringLiteral("true"));
    d->changed[d->settingsPart] = true;
}

QByteArray Document::toDocx() const
{
    std::vector<zip::Entry> entries = d->entries;
    xml::Tree& types = d->tree(ContentTypesPart);
    bool overridden = false;
    for (const auto& child : types.root->children) {
        if (child->isElement(QStringLiteral("Override")) &&
            child->attribute(QStringLiteral("PartName")) == QLatin1Char('/') + d->mainPart) {
            overridden = true;
            if (child->attribute(QStringLiteral("ContentType")) == TemplateMainType) {
                child->setAttribute(QStringLiteral("ContentType"), DocumentMainType);
                d->changed[ContentTypesPart] = true;
            }
        }
    }
    if (!overridden) {
        Node* override = types.root->append(Node::element(QStringLiteral("Override")));
        override->setAttribute(QStringLiteral("PartName"), QLatin1Char('/') + d->mainPart);
        override->setAttribute(QStringLiteral("ContentType"), DocumentMainType);
        d->changed[ContentTypesPart] = true;
    }
    for (auto& entry : entries) {
        if (d->changed[entry.name])
            entry.data = xml::serialize(d->parsed.at(entry.name));
    }
    return zip::write(entries);
}

QString Document::saveNew(const QString& folder, const QString& baseName) const
{
    const QString shownFolder = QDir::toNativeSeparators(folder);
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        throw FolderError(folder, QStringLiteral("Den Ordner \"%1\" für das Dokument gibt es nicht.").arg(shownFolder));
    const QByteArray data = toDocx();
    const QString base = safeFileName(baseName);
    const QDir dir(folder);
    for (int n = 1; n <= 9999; ++n) {
        const QString path = dir.absoluteFilePath(n == 1 ? base + QStringLiteral(".docx")
                                                         : QStringLiteral("%1 (%2).docx").arg(base).arg(n));
        const auto taken = [&path] {
            const QFileInfo info(path);
            return info.exists() || info.isSymLink();
        };
        if (taken())
            continue;
        QFile file(path);
        // NewOnly refuses a file that appeared meanwhile instead of replacing it.
        if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
            const QString reason = rt::fileErrorReason(file.error(), errno);
            if (taken())
                continue;
            throw FolderError(folder, QStringLiteral("Das Dokument kann nicht in \"%1\" gespeichert werden: %2.")
                                          .arg(shownFolder, reason));
        }
        const bool written = file.write(data) == data.size() && file.flush();
        const int writeErrno = errno;
        file.close();
        if (!written || file.error() != QFileDevice::NoError) {
            const QString reason = rt::fileErrorReason(file.error(), writeErrno);
            file.remove();
            throw Error(QStringLiteral("Das Dokument \"%1\" konnte nicht vollständig gespeichert werden: %2.")
                            .arg(QDir::toNativeSeparators(path), reason));
        }
        return path;
    }
    throw Error(QStringLiteral("Im Ordner \"%1\" ist kein freier Dateiname für \"%2\" mehr zu finden.").arg(shownFolder, base));
}

QString safeFileName(const QString& baseName)
{
    QString name;
    for (const QChar c : baseName)
        name += (c.unicode() < 0x20 || QStringLiteral("/\\:*?\"<>|").contains(c)) ? QLatin1Char('_') : c;
    name = name.trimmed();
    while (name.startsWith(QLatin1Char('.')))
        name.remove(0, 1);
    return name.isEmpty() ? QStringLiteral("Dokument") : name;
}

QString outputFolder()
{
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (documents.isEmpty())
        throw Error(QStringLiteral("Der Dokumente-Ordner des Benutzers ist nicht bekannt."));
    const QString folder = QDir(documents).absoluteFilePath(QStringLiteral("Velmorant"));
    if (!QDir().mkpath(folder) || !QFileInfo(folder).isDir())
        throw FolderError(folder, QStringLiteral("Der Ordner \"%1\" kann nicht angelegt werden.")
                                      .arg(QDir::toNativeSeparators(folder)));
    return folder;
}

}  // namespace word
