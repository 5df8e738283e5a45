#pragma once

#include "bookings/frmAdressen.h"
#include "bookings/frmBuchungen.h"
#include "core/database.h"
#include "core/dialogs/resourceeditor.h"
#include "core/globals.h"
#include "core/startup.h"
#include "invoicing/frmRechnung.h"
#include "invoicing/frmServices.h"
#include "plan/frmMandanten.h"
#include "plan/frmRoom.h"
#include "plan/frmStockwerke.h"
#include "preferences/frmVorgaben.h"
#include "tests/support/globals_scope.h"
#include "tests/support/scripted_dialogs.h"
#include "tests/support/temp_folder.h"
#include "tests/support/window_hooks.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

namespace test {

// The program as it starts from a folder of its own: the delivered database
// and the help as built.
class ProgramFolder : public ::testing::Test {
protected:
    void SetUp() override
    {
        const QDir built(QStringLiteral(VELMORANT_APP_DIR));
        ASSERT_TRUE(QFile::copy(built.filePath("velmorant.mdb"), folder.file("velmorant.mdb")));
        ASSERT_TRUE(QFile::copy(built.filePath("help.pdf"), folder.file("help.pdf")));
        QDir().mkpath(folder.file("help"));
        for (const QString& name : QDir(built.filePath("help")).entryList(QDir::Files))
            ASSERT_TRUE(QFile::copy(built.filePath("help/" + name), folder.file("help/" + name)));
        folder.write("velmorant.ini", "DBname=velmorant.mdb\r\n");
        StartProgram(folder.path());
        ASSERT_TRUE(DbOpen);
    }
    void TearDown() override
    {
        if (frmResourcen::isLoaded())
            delete &frmResourcen::instance();
        frmServices::unload();
        frmRechnung::unload();
        frmAdressen::unloadForGood();
        frmBuchungen::unload();
        frmVorgaben::unload();
        frmRoom::unload();
        frmMandanten::unload();
        frmStockwerke::unload();
        CloseProgramDatabase();
        DbOpen = false;
    }

    test::GlobalsScope globals;
    test::TempFolder folder;
    test::WindowHooks windows;
    test::DialogScope dialogs;
};

}  // namespace test
