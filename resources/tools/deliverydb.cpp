#include "resources/tools/deliverydb.h"

#include "platform/db/jetfunctions.h"
#include "platform/runtime/twips.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QSaveFile>

#include <sqlite3.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

namespace makedb {

namespace {

constexpr double kTwipsPerPixel = rt::TwipsPerPixel;
constexpr int kMarkerPixels = 13;        // 195 twips

// Floor plan geometry in pixels: the house outline and the corridor through it.
constexpr int kWidth = 720;
constexpr int kHeight = 480;
constexpr int kLeft = 20, kTop = 20, kRight = 700, kBottom = 460;
constexpr int kCorridorTop = 205, kCorridorBottom = 275;
constexpr int kStairsLeft = 630;
constexpr int kDoor = 34;

QString sqliteMessage(sqlite3* handle)
{
    return QString::fromUtf8(sqlite3_errmsg(handle));
}

QString textColumn(sqlite3_stmt* stmt, int column)
{
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, column));
    return text ? QString::fromUtf8(text) : QString();
}

// A stored picture name may carry "\" from older files; the folder is "/" here.
QString picturePath(const QString& imagesDir, const QString& stored)
{
    QString name = stored;
    name.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return QDir(imagesDir).filePath(name);
}

QString saveImage(const QImage& image, const QString& path)
{
    QFileInfo info(path);
    if (!QDir().mkpath(info.absolutePath()))
        return QStringLiteral("cannot create folder %1").arg(info.absolutePath());
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return QStringLiteral("cannot write %1: %2").arg(path, file.errorString());
    const QByteArray format = info.suffix().toLower() == QLatin1String("png") ? "PNG" : "JPG";
    if (!image.save(&file, format.constData(), format == "PNG" ? -1 : 92) || !file.commit())
        return QStringLiteral("cannot write %1").arg(path);
    return {};
}

QFont planFont(int pixelSize, bool bold)
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    return font;
}

struct Room {
    QString name;
    bool disabled = false;
    double centerX = 0;   // marker centre, pixels
    bool upper = true;    // above the corridor
    int left = 0, right = 0;
};

void drawWindow(QPainter& p, int x1, int x2, int wallY)
{
    p.save();
    p.fillRect(QRect(x1, wallY - 4, x2 - x1, 9), Qt::white);
    p.setPen(QPen(QColor(90, 110, 140), 1));
    p.drawLine(x1, wallY - 4, x2, wallY - 4);
    p.drawLine(x1, wallY, x2, wallY);
    p.drawLine(x1, wallY + 4, x2, wallY + 4);
    p.drawLine(x1, wallY - 4, x1, wallY + 4);
    p.drawLine(x2, wallY - 4, x2, wallY + 4);
    p.restore();
}

// A door in the corridor wall with its leaf swinging into the room.
void drawDoor(QPainter& p, int hingeX, bool upper)
{
    const int wallY = upper ? kCorridorTop : kCorridorBottom;
    p.save();
    p.fillRect(QRect(hingeX, wallY - 3, kDoor, 7), QColor(0xf7, 0xf1, 0xe3));
    p.setPen(QPen(QColor(60, 60, 60), 2));
    const int leafEnd = upper ? wallY - kDoor : wallY + kDoor;
    p.drawLine(hingeX, wallY, hingeX, leafEnd);
    p.setPen(QPen(QColor(120, 120, 120), 1, Qt::DashLine));
    const QRect swing(hingeX - kDoor, wallY - kDoor, 2 * kDoor, 2 * kDoor);
    p.drawArc(swing, upper ? 0 : 270 * 16, 90 * 16);
    p.restore();
}

QImage drawFloorPlan(const QString& title, int floorOrder, std::vector<Room> rooms)
{
    QImage image(kWidth, kHeight, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);

    const QRect house(kLeft, kTop, kRight - kLeft, kBottom - kTop);
    p.fillRect(house, QColor(0xf7, 0xf1, 0xe3));
    p.fillRect(QRect(kLeft, kCorridorTop, kRight - kLeft, kCorridorBottom - kCorridorTop), QColor(0xe4, 0xe4, 0xe4));

    // Each row of rooms is split halfway between neighbouring markers.
    for (bool upper : {true, false}) {
        std::vector<Room*> row;
        for (Room& room : rooms)
            if (room.upper == upper)
                row.push_back(&room);
        std::sort(row.begin(), row.end(), [](const Room* a, const Room* b) { return a->centerX < b->centerX; });
        for (size_t i = 0; i < row.size(); ++i) {
            row[i]->left = i == 0 ? kLeft : int(std::lround((row[i - 1]->centerX + row[i]->centerX) / 2));
            row[i]->right = i + 1 == row.size() ? kRight : int(std::lround((row[i]->centerX + row[i + 1]->centerX) / 2));
        }
    }

    // Inner walls: the corridor walls and the walls between rooms.
    p.setPen(QPen(QColor(0x33, 0x33, 0x33), 4, Qt::SolidLine, Qt::SquareCap));
    p.drawLine(kLeft, kCorridorTop, kRight, kCorridorTop);
    p.drawLine(kLeft, kCorridorBottom, kRight, kCorridorBottom);
    for (const Room& room : rooms) {
        if (room.left == kLeft)
            continue;
        if (room.upper)
            p.drawLine(room.left, kTop, room.left, kCorridorTop);
        else
            p.drawLine(room.left, kCorridorBottom, room.left, kBottom);
    }

    // Stairs at the end of the corridor.
    p.save();
    p.setPen(QPen(QColor(0x55, 0x55, 0x55), 1));
    const QRect stairs(kStairsLeft, kCorridorTop + 6, kRight - kStairsLeft - 6, kCorridorBottom - kCorridorTop - 12);
    p.drawRect(stairs);
    for (int x = stairs.left() + 7; x < stairs.right(); x += 7)
        p.drawLine(x, stairs.top(), x, stairs.bottom());
    p.setFont(planFont(10, false));
    p.fillRect(QRect(stairs.left() + 8, stairs.center().y() - 7, stairs.width() - 16, 14), QColor(0xe4, 0xe4, 0xe4));
    p.drawText(stairs, Qt::AlignCenter, QStringLiteral("Treppe"));
    p.restore();

    // Outer walls, then windows and doors cut into them.
    p.setPen(QPen(QColor(0x22, 0x22, 0x22), 8, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    p.setBrush(Qt::NoBrush);
    p.drawRect(house);
    for (const Room& room : rooms) {
        const int width = room.right - room.left;
        const int windowWidth = std::max(20, width * 2 / 5);
        const int x1 = (room.left + room.right - windowWidth) / 2;
        drawWindow(p, x1, x1 + windowWidth, room.upper ? kTop : kBottom);
        drawDoor(p, room.left + std::min(14, std::max(4, width / 8)), room.upper);
    }
    if (floorOrder == 0) {
        p.fillRect(QRect(kLeft - 5, kCorridorTop + 14, 10, kCorridorBottom - kCorridorTop - 28), QColor(0xe4, 0xe4, 0xe4));
        p.setPen(QPen(QColor(0x33, 0x33, 0x33), 1));
        p.setFont(planFont(11, false));
        p.drawText(QRect(kLeft + 10, kCorridorTop, 80, kCorridorBottom - kCorridorTop), Qt::AlignVCenter | Qt::AlignLeft,
                   QStringLiteral("▶ Eingang"));
    }

    // Room names below their markers.
    for (const Room& room : rooms) {
        const int top = room.upper ? 95 : 365;
        p.setPen(QColor(0x20, 0x20, 0x20));
        p.setFont(planFont(18, true));
        p.drawText(QRect(room.left, top, room.right - room.left, 26), Qt::AlignCenter, room.name);
        if (room.disabled) {
            p.setFont(planFont(11, false));
            p.drawText(QRect(room.left, top + 26, room.right - room.left, 16), Qt::AlignCenter, QStringLiteral("(gesperrt)"));
        }
    }

    // Title in the corridor.
    p.setPen(QColor(0x40, 0x40, 0x40));
    p.setFont(planFont(14, false));
    p.drawText(QRect(kLeft + 100, kCorridorTop, kStairsLeft - kLeft - 110, kCorridorBottom - kCorridorTop),
               Qt::AlignCenter, title);
    p.end();
    return image;
}

QImage drawSitePlan(const QString& facility, const std::vector<QString>& buildings)
{
    QImage image(kWidth, kHeight, QImage::Format_RGB32);
    image.fill(QColor(0xdc, 0xea, 0xc8));
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);

    // Road along the bottom, a path up to each house.
    p.fillRect(QRect(0, 400, kWidth, 50), QColor(0xb8, 0xb8, 0xb0));
    p.setPen(QPen(Qt::white, 2, Qt::DashLine));
    p.drawLine(0, 425, kWidth, 425);

    const int count = std::max<int>(1, int(buildings.size()));
    const int slot = (kWidth - 40) / count;
    for (int i = 0; i < int(buildings.size()); ++i) {
        const int width = std::min(260, slot - 40);
        const int height = i == 0 ? 170 : 120;
        const int x = 20 + i * slot + (slot - width) / 2;
        const int y = 330 - height;
        p.fillRect(QRect(x + width / 2 - 15, 330, 30, 70), QColor(0xd8, 0xc8, 0xa8));
        p.setPen(QPen(QColor(0x40, 0x30, 0x28), 3));
        p.setBrush(QColor(0xb5, 0x4a, 0x3a));
        p.drawRect(QRect(x, y, width, height));
        p.setPen(QPen(QColor(0x8a, 0x35, 0x28), 1));
        for (int line = y + 12; line < y + height; line += 12)
            p.drawLine(x + 2, line, x + width - 2, line);
        p.setPen(Qt::white);
        p.setFont(planFont(18, true));
        p.drawText(QRect(x, y, width, height), Qt::AlignCenter, buildings[size_t(i)]);
    }

    // A few trees.
    p.setPen(QPen(QColor(0x3d, 0x6b, 0x2e), 1));
    p.setBrush(QColor(0x6f, 0x9e, 0x4c));
    for (const QPoint& tree : {QPoint(40, 90), QPoint(680, 80), QPoint(360, 110), QPoint(690, 360), QPoint(30, 360)})
        p.drawEllipse(tree, 22, 22);

    p.setPen(QColor(0x20, 0x30, 0x20));
    p.setFont(planFont(22, true));
    p.drawText(QRect(0, 10, kWidth, 34), Qt::AlignCenter, facility);
    p.end();
    return image;
}

void seedToday(sqlite3_context* context, int, sqlite3_value**)
{
    const auto* today = static_cast<const double*>(sqlite3_user_data(context));
    sqlite3_result_double(context, *today);
}

}  // namespace

void registerSeedFunctions(sqlite3* handle, rt::Date today)
{
    auto* day = new double(today.datePart().serial());
    sqlite3_create_function_v2(handle, "seed_today", 0, SQLITE_UTF8 | SQLITE_DETERMINISTIC, day, seedToday, nullptr,
                               nullptr, [](void* p) { delete static_cast<double*>(p); });
}

QString runScript(sqlite3* handle, const QByteArray& sql)
{
    char* message = nullptr;
    const QByteArray script = "BEGIN;\n" + sql + "\nCOMMIT;";
    if (sqlite3_exec(handle, script.constData(), nullptr, nullptr, &message) == SQLITE_OK)
        return {};
    QString error = message ? QString::fromUtf8(message) : sqliteMessage(handle);
    sqlite3_free(message);
    if (!sqlite3_get_autocommit(handle))
        sqlite3_exec(handle, "ROLLBACK;", nullptr, nullptr, nullptr);
    return error;
}

QString drawPictures(sqlite3* handle, const QString& imagesDir)
{
    sqlite3_stmt* floors = nullptr;
    if (sqlite3_prepare_v2(handle,
                           "SELECT flr_id, flr_order, flr_name, flr_imagefile, bld_name FROM tbl_floors "
                           "LEFT JOIN tbl_buildings ON flr_building_id = bld_id "
                           "WHERE flr_imagefile IS NOT NULL AND flr_imagefile <> '' ORDER BY flr_id",
                           -1, &floors, nullptr) != SQLITE_OK)
        return sqliteMessage(handle);
    sqlite3_stmt* places = nullptr;
    if (sqlite3_prepare_v2(handle,
                           "SELECT pl_name, pl_x1, pl_y1, pl_disabled FROM tbl_places WHERE pl_floor_id = ? ORDER BY pl_id",
                           -1, &places, nullptr) != SQLITE_OK) {
        sqlite3_finalize(floors);
        return sqliteMessage(handle);
    }

    QString error;
    while (error.isEmpty() && sqlite3_step(floors) == SQLITE_ROW) {
        const QString title = textColumn(floors, 4) + QStringLiteral(" · ") + textColumn(floors, 2);
        std::vector<Room> rooms;
        sqlite3_bind_int(places, 1, sqlite3_column_int(floors, 0));
        while (sqlite3_step(places) == SQLITE_ROW) {
            Room room;
            room.name = textColumn(places, 0);
            room.centerX = sqlite3_column_double(places, 1) / kTwipsPerPixel + kMarkerPixels / 2.0;
            const double centerY = sqlite3_column_double(places, 2) / kTwipsPerPixel + kMarkerPixels / 2.0;
            room.upper = centerY < (kCorridorTop + kCorridorBottom) / 2.0;
            room.disabled = sqlite3_column_int(places, 3) != 0;
            rooms.push_back(room);
        }
        sqlite3_reset(places);
        error = saveImage(drawFloorPlan(title, sqlite3_column_int(floors, 1), rooms),
                          picturePath(imagesDir, textColumn(floors, 3)));
    }
    sqlite3_finalize(places);
    sqlite3_finalize(floors);
    if (!error.isEmpty())
        return error;

    sqlite3_stmt* facilities = nullptr;
    sqlite3_stmt* buildings = nullptr;
    if (sqlite3_prepare_v2(handle,
                           "SELECT mand_id, mand_name, mand_imagefile FROM tbl_mandanten "
                           "WHERE mand_imagefile IS NOT NULL AND mand_imagefile <> ''",
                           -1, &facilities, nullptr) != SQLITE_OK ||
        sqlite3_prepare_v2(handle, "SELECT bld_name FROM tbl_buildings WHERE bld_mandant_id = ? ORDER BY bld_id", -1,
                           &buildings, nullptr) != SQLITE_OK) {
        error = sqliteMessage(handle);
    }
    while (error.isEmpty() && sqlite3_step(facilities) == SQLITE_ROW) {
        std::vector<QString> names;
        sqlite3_bind_int(buildings, 1, sqlite3_column_int(facilities, 0));
        while (sqlite3_step(buildings) == SQLITE_ROW)
            names.push_back(textColumn(buildings, 0));
        sqlite3_reset(buildings);
        error = saveImage(drawSitePlan(textColumn(facilities, 1), names), picturePath(imagesDir, textColumn(facilities, 2)));
    }
    sqlite3_finalize(buildings);
    sqlite3_finalize(facilities);
    return error;
}

QString build(const Options& options)
{
    QFile schema(options.schemaFile);
    QFile seed(options.seedFile);
    if (!schema.open(QIODevice::ReadOnly))
        return QStringLiteral("cannot read %1").arg(options.schemaFile);
    if (!seed.open(QIODevice::ReadOnly))
        return QStringLiteral("cannot read %1").arg(options.seedFile);

    // The target is only ever replaced whole: build beside it, then rename.
    const QString temporary = options.target + QStringLiteral(".tmp");
    QFile::remove(temporary);
    QFile::remove(temporary + QStringLiteral("-journal"));
    if (!QDir().mkpath(QFileInfo(options.target).absolutePath()))
        return QStringLiteral("cannot create the folder of %1").arg(options.target);

    sqlite3* handle = nullptr;
    QString error;
    if (sqlite3_open_v2(temporary.toUtf8().constData(), &handle, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) !=
        SQLITE_OK) {
        error = handle ? sqliteMessage(handle) : QStringLiteral("out of memory");
    } else {
        db::registerJetFunctions(handle);
        registerSeedFunctions(handle, options.today);
        error = runScript(handle, schema.readAll());
        if (!error.isEmpty())
            error = QStringLiteral("%1: %2").arg(QFileInfo(options.schemaFile).fileName(), error);
        if (error.isEmpty()) {
            error = runScript(handle, seed.readAll());
            if (!error.isEmpty())
                error = QStringLiteral("%1: %2").arg(QFileInfo(options.seedFile).fileName(), error);
        }
        if (error.isEmpty())
            error = drawPictures(handle, options.imagesDir);
    }
    if (handle && sqlite3_close(handle) != SQLITE_OK && error.isEmpty())
        error = QStringLiteral("cannot close %1").arg(temporary);

    if (error.isEmpty() && std::rename(QFile::encodeName(temporary).constData(),
                                       QFile::encodeName(options.target).constData()) != 0)
        error = QStringLiteral("cannot rename %1 to %2").arg(temporary, options.target);
    if (!error.isEmpty())
        QFile::remove(temporary);
    return error;
}

}  // namespace makedb
