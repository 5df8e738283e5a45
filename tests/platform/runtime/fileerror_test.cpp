#include "platform/runtime/fileerror.h"

#include <gtest/gtest.h>

#include <cerrno>

TEST(FileErrorReason, TheSystemsErrorsInGermanWords)
{
    for (const auto& [code, reason] : {std::pair{EACCES, "keine Berechtigung"}, std::pair{EROFS, "keine Berechtigung"},
                                       std::pair{ENOSPC, "Datenträger voll"}, std::pair{EBUSY, "Datei gesperrt"},
                                       std::pair{ENOENT, "Datei oder Ordner fehlt"}, std::pair{EIO, "unbekannter Fehler"}}) {
        EXPECT_EQ(rt::fileErrorReason(std::make_error_code(std::errc(code))), QString::fromUtf8(reason)) << code;
    }
    // Qt's kind of error where errno was lost; errno where it tells more.
    EXPECT_EQ(rt::fileErrorReason(QFileDevice::ResourceError, 0), QStringLiteral("Datenträger voll"));
    EXPECT_EQ(rt::fileErrorReason(QFileDevice::OpenError, EACCES), QStringLiteral("keine Berechtigung"));
    EXPECT_EQ(rt::fileErrorReason(QFileDevice::OpenError, EXDEV), QStringLiteral("unbekannter Fehler"));
}
