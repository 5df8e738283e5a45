// Writes the delivered database and its pictures into the program folder:
//   velmorant_makedb --schema schema.sql --seed seed.sql --out velmorant.mdb --images images/
#include "resources/tools/deliverydb.h"

#include <QCommandLineParser>
#include <QGuiApplication>

#include <cstdio>

int main(int argc, char* argv[])
{
    // Fonts for the floor plans, without a display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);

    QCommandLineParser parser;
    parser.addHelpOption();
    const QCommandLineOption schema(QStringLiteral("schema"), QStringLiteral("CREATE statements"), QStringLiteral("file"));
    const QCommandLineOption seed(QStringLiteral("seed"), QStringLiteral("rows to insert"), QStringLiteral("file"));
    const QCommandLineOption out(QStringLiteral("out"), QStringLiteral("database file to write"), QStringLiteral("file"));
    const QCommandLineOption images(QStringLiteral("images"), QStringLiteral("picture folder"), QStringLiteral("folder"));
    parser.addOptions({schema, seed, out, images});
    parser.process(app);
    if (!parser.isSet(schema) || !parser.isSet(seed) || !parser.isSet(out) || !parser.isSet(images)) {
        std::fprintf(stderr, "%s\n", qPrintable(parser.helpText()));
        return 2;
    }

    makedb::Options options;
    options.schemaFile = parser.value(schema);
    options.seedFile = parser.value(seed);
    options.target = parser.value(out);
    options.imagesDir = parser.value(images);
    options.today = rt::Date::today();
    const QString error = makedb::build(options);
    if (!error.isEmpty()) {
        std::fprintf(stderr, "velmorant_makedb: %s\n", qPrintable(error));
        return 1;
    }
    return 0;
}
