#include "platform/runtime/fileerror.h"

#include <gtest/gtest.h>

#include <cerrno>

TEST(FileErrorReason, TheSystemsErrorsInGermanWords)
{
    struct Case {
        int errnoValue;
        const char* reason;
    };
    for (const Case c : {Case{EACCES, "keine Berechtigung"}, Case{EROFS, "keine Berechtigung"},
                         Case{ENOSPC, "Datenträger voll"}, Case{EDQUOT, "Datenträger voll"}, Case{EBUSY, "Datei gesperrt"},
                         Case{ENOENT, "unbekannter Fehler"}, Case{0, "unbekannter Fehler"}}) {
        const QString reason = QString::fromUtf8(c.reason);
        EXPECT_EQ(rt::fileErrorReason(c.errnoValue), reason) << c.errnoValue;
        EXPECT_EQ(rt::fileErrorReason(std::make_error_code(std::errc(c.errnoValue))), reason) << c.errnoValue;
    }
    // Qt's kind of error where errno was lost; errno where it tells more.
    EXPECT_EQ(rt::fileErrorReason(QFileDevice::PermissionsError, 0), QStringLiteral("keine Berechtigung"));
    EXPECT_EQ(rt::fileErrorReason(QFileDevice::ResourceError, 0), QStringLiteral("Datenträger voll"));
    EXPECT_EQ(rt::fileErrorReason(QFileDevice::WriteError, ENOSPC), QStringLiteral("Datenträger voll"));
    EXPECT_EQ(rt::fileErrorReason(QFileDevice::OpenError, EACCES), QStringLiteral("keine Berechtigung"));
    EXPECT_EQ(rt::fileErrorReason(QFileDevice::OpenError, EISDIR), QStringLiteral("unbekannter Fehler"));
}
