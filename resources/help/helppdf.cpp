// Prints the help topics, in the order given, into one PDF:
//   velmorant_helppdf <out.pdf> <topic.html>...
// Each topic starts on a new page; links between topics become plain text.

#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QRegularExpression>
#include <QTextDocument>

#include <cstdio>

namespace {

QString bodyOf(const QString& html)
{
    static const QRegularExpression body(QStringLiteral("<body[^>]*>(.*)</body>"),
                                         QRegularExpression::DotMatchesEverythingOption |
                                             QRegularExpression::CaseInsensitiveOption);
    const auto match = body.match(html);
    QString content = match.hasMatch() ? match.captured(1) : html;
    // The way back to the contents is for the browser only.
    static const QRegularExpression nav(QStringLiteral("<nav>.*?</nav>"),
                                        QRegularExpression::DotMatchesEverythingOption |
                                            QRegularExpression::CaseInsensitiveOption);
    content.remove(nav);
    // The PDF has no pages to jump to: keep the link text, drop the link.
    static const QRegularExpression link(QStringLiteral("<a\\s+href=[^>]*>(.*?)</a>"),
                                         QRegularExpression::DotMatchesEverythingOption |
                                             QRegularExpression::CaseInsensitiveOption);
    content.replace(link, QStringLiteral("\\1"));
    return content;
}

}  // namespace

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s <out.pdf> <topic.html>...\n", argv[0]);
        return 2;
    }
    QString html = QStringLiteral("<html><head><meta charset=\"utf-8\"></head><body>");
    for (int i = 2; i < argc; ++i) {
        QFile topic(QString::fromLocal8Bit(argv[i]));
        if (!topic.open(QIODevice::ReadOnly)) {
            std::fprintf(stderr, "cannot read %s\n", argv[i]);
            return 1;
        }
        if (i > 2)
            html += QStringLiteral("<div style=\"page-break-before: always\"></div>");
        html += bodyOf(QString::fromUtf8(topic.readAll()));
    }
    html += QStringLiteral("<p style=\"font-size: small; color: #666666\">Velmorant " VELMORANT_VERSION_TEXT "</p>");
    html += QStringLiteral("</body></html>");

    QTextDocument document;
    document.setDefaultStyleSheet(QStringLiteral(
        "body { font-family: sans-serif; font-size: 10pt; } h1 { font-size: 16pt; } h2 { font-size: 12pt; }"));
    document.setHtml(html);

    const QString out = QString::fromLocal8Bit(argv[1]);
    QPdfWriter writer(out);
    writer.setTitle(QStringLiteral("Velmorant – Hilfe"));
    writer.setCreator(QStringLiteral("Velmorant"));
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setPageMargins(QMarginsF(20, 20, 20, 20), QPageLayout::Millimeter);
    writer.setResolution(300);
    document.print(&writer);
    if (!QFileInfo(out).exists() || QFileInfo(out).size() == 0) {
        std::fprintf(stderr, "no PDF written to %s\n", argv[1]);
        return 1;
    }
    return 0;
}
