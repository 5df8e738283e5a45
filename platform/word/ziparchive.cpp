#include "platform/word/ziparchive.h"

#include "platform/word/error.h"

#include <zip.h>

#include <memory>

namespace word::zip {

namespace {

// A template is a few hundred kilobytes; anything beyond this is a damaged
// size field or a zip bomb, not a letter.
constexpr zip_uint64_t MaxEntrySize = 256ull * 1024 * 1024;

QString reason(int code)
{
    switch (code) {
    case ZIP_ER_NOZIP:
        return QStringLiteral("die Datei ist kein ZIP-Archiv");
    case ZIP_ER_CRC:
        return QStringLiteral("Prüfsummenfehler");
    case ZIP_ER_MEMORY:
        return QStringLiteral("nicht genug Speicher");
    case ZIP_ER_ENCRNOTSUPP:
    case ZIP_ER_NOPASSWD:
    case ZIP_ER_WRONGPASSWD:
        return QStringLiteral("das Archiv ist verschlüsselt");
    case ZIP_ER_COMPNOTSUPP:
        return QStringLiteral("unbekanntes Kompressionsverfahren");
    default:
        // The library's own words are English.
        return QStringLiteral("das ZIP-Archiv ist beschädigt");
    }
}

[[noreturn]] void fail(const QString& displayName, int code)
{
    throw Error(QStringLiteral("Die Datei \"%1\" kann nicht gelesen werden: %2.").arg(displayName, reason(code)));
}

struct ArchiveCloser {
    void operator()(zip_t* archive) const { zip_discard(archive); }
};
using Archive = std::unique_ptr<zip_t, ArchiveCloser>;

struct FileCloser {
    void operator()(zip_file_t* file) const { zip_fclose(file); }
};

}  // namespace

std::vector<Entry> read(const QByteArray& archive, const QString& displayName)
{
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* source = zip_source_buffer_create(archive.constData(), static_cast<zip_uint64_t>(archive.size()), 0, &error);
    if (!source) {
        const int code = zip_error_code_zip(&error);
        zip_error_fini(&error);
        fail(displayName, code);
    }
    Archive zip(zip_open_from_source(source, ZIP_RDONLY, &error));
    if (!zip) {
        zip_source_free(source);
        const int code = zip_error_code_zip(&error);
        zip_error_fini(&error);
        fail(displayName, code);
    }
    zip_error_fini(&error);

    std::vector<Entry> entries;
    const zip_int64_t count = zip_get_num_entries(zip.get(), 0);
    for (zip_int64_t i = 0; i < count; ++i) {
        const auto index = static_cast<zip_uint64_t>(i);
        zip_stat_t stat;
        zip_stat_init(&stat);
        if (zip_stat_index(zip.get(), index, 0, &stat) != 0)
            fail(displayName, zip_error_code_zip(zip_get_error(zip.get())));
        if (!(stat.valid & ZIP_STAT_NAME) || !(stat.valid & ZIP_STAT_SIZE) || stat.size > MaxEntrySize)
            fail(displayName, ZIP_ER_INCONS);

        Entry entry;
        entry.name = QString::fromUtf8(zip_get_name(zip.get(), index, ZIP_FL_ENC_GUESS));
        if (!entry.name.endsWith(QLatin1Char('/'))) {
            std::unique_ptr<zip_file_t, FileCloser> file(zip_fopen_index(zip.get(), index, 0));
            if (!file)
                fail(displayName, zip_error_code_zip(zip_get_error(zip.get())));
            entry.data.resize(static_cast<qsizetype>(stat.size));
            zip_uint64_t done = 0;
            while (done < stat.size) {
                const zip_int64_t got = zip_fread(file.get(), entry.data.data() + done, stat.size - done);
                if (got < 0)
                    fail(displayName, zip_error_code_zip(zip_file_get_error(file.get())));
                if (got == 0)
                    fail(displayName, ZIP_ER_INCONS);
                done += static_cast<zip_uint64_t>(got);
            }
            // Reading on to the end lets the library check the CRC.
            char probe;
            if (zip_fread(file.get(), &probe, 1) != 0)
                fail(displayName, ZIP_ER_CRC);
        }
        entries.push_back(std::move(entry));
    }
    return entries;
}

QByteArray write(const std::vector<Entry>& entries)
{
    const auto failed = [](const QString& what) {
        return Error(QStringLiteral("Das Dokument konnte nicht zusammengestellt werden (%1).").arg(what));
    };
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* target = zip_source_buffer_create(nullptr, 0, 0, &error);
    zip_error_fini(&error);
    if (!target)
        throw failed(QStringLiteral("kein Speicher"));
    // The archive must not free the buffer when it closes: its bytes are the result.
    zip_source_keep(target);
    std::unique_ptr<zip_source_t, decltype(&zip_source_free)> targetGuard(target, &zip_source_free);

    zip_error_init(&error);
    Archive zip(zip_open_from_source(target, ZIP_TRUNCATE, &error));
    zip_error_fini(&error);
    if (!zip)
        throw failed(QStringLiteral("Archiv lässt sich nicht anlegen"));

    for (const Entry& entry : entries) {
        const QByteArray name = entry.name.toUtf8();
        if (entry.name.endsWith(QLatin1Char('/'))) {
            if (zip_dir_add(zip.get(), name.constData(), ZIP_FL_ENC_UTF_8) < 0)
                throw failed(entry.name);
            continue;
        }
        zip_source_t* source = zip_source_buffer(zip.get(), entry.data.constData(),
                                                  static_cast<zip_uint64_t>(entry.data.size()), 0);
        if (!source)
            throw failed(entry.name);
        const zip_int64_t index = zip_file_add(zip.get(), name.constData(), source, ZIP_FL_ENC_UTF_8);
        if (index < 0) {
            zip_source_free(source);
            throw failed(entry.name);
        }
        zip_set_file_compression(zip.get(), static_cast<zip_uint64_t>(index), ZIP_CM_DEFLATE, 0);
    }
    if (zip_close(zip.get()) != 0)
        throw failed(QStringLiteral("Archiv lässt sich nicht abschließen"));
    (void)zip.release();

    QByteArray result;
    if (zip_source_open(target) != 0)
        throw failed(QStringLiteral("Ergebnis nicht lesbar"));
    zip_source_seek(target, 0, SEEK_END);
    const zip_int64_t size = zip_source_tell(target);
    zip_source_seek(target, 0, SEEK_SET);
    if (size > 0) {
        result.resize(static_cast<qsizetype>(size));
        zip_int64_t done = 0;
        while (done < size) {
            const zip_int64_t got = zip_source_read(target, result.data() + done, static_cast<zip_uint64_t>(size - done));
            if (got <= 0)
                break;
            done += got;
        }
        if (done != size) {
            zip_source_close(target);
            throw failed(QStringLiteral("Ergebnis unvollständig"));
        }
    }
    zip_source_close(target);
    return result;
}

}  // namespace word::zip
