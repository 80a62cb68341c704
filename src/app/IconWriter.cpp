// SPDX-License-Identifier: GPL-3.0-or-later
// Build tool: writes the program icon as PNG files in the icon theme's layout,
// OUT/<n>x<n>/apps/kotar.png for every size n given, for the installed menu entry; with
// --ico, one Windows icon file holding every size given, for the Windows program and its
// Start-menu entry.
#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QPixmap>
#include <QtEndian>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "app/ProgramIcon.h"

namespace {

void AppendLe16(QByteArray& out, int value) {
    char bytes[2];
    qToLittleEndian(static_cast<quint16>(value), bytes);
    out.append(bytes, 2);
}

void AppendLe32(QByteArray& out, qsizetype value) {
    char bytes[4];
    qToLittleEndian(static_cast<quint32>(value), bytes);
    out.append(bytes, 4);
}

// An icon file of PNG images (read by Windows Vista and later): the directory, then the images.
// A 256-pixel image is entered with width and height 0, as the format has it.
bool WriteIconFile(const QString& file, const std::vector<int>& sizes) {
    std::vector<QByteArray> images;
    for (int size : sizes) {
        QByteArray png;
        QBuffer buffer(&png);
        if (!buffer.open(QIODevice::WriteOnly) ||
            !kotar::DrawProgramIcon(size).save(&buffer, "PNG"))
            return false;
        images.push_back(png);
    }
    QByteArray out;
    AppendLe16(out, 0);  // reserved
    AppendLe16(out, 1);  // an icon, not a cursor
    AppendLe16(out, static_cast<int>(sizes.size()));
    qsizetype offset = 6 + 16 * static_cast<qsizetype>(sizes.size());
    for (std::size_t i = 0; i < sizes.size(); ++i) {
        const char edge = static_cast<char>(sizes[i] >= 256 ? 0 : sizes[i]);
        out.append(edge).append(edge).append('\0').append('\0');  // no palette, reserved
        AppendLe16(out, 1);                                       // colour planes
        AppendLe16(out, 32);                                      // bits per pixel
        AppendLe32(out, images[i].size());
        AppendLe32(out, offset);
        offset += images[i].size();
    }
    for (const QByteArray& image : images)
        out.append(image);
    QFile target(file);
    return target.open(QIODevice::WriteOnly) && target.write(out) == out.size();
}

// A size argument, or 0 when it is none.
int ParseSize(const char* text) {
    char* end = nullptr;
    const long size = std::strtol(text, &end, 10);
    return *end == '\0' && size >= 8 && size <= 1024 ? static_cast<int>(size) : 0;
}

}  // namespace

int main(int argc, char* argv[]) {
    const bool ico = argc > 1 && std::strcmp(argv[1], "--ico") == 0;
    const int first = ico ? 2 : 1;
    if (argc < first + 2) {
        std::fprintf(stderr, "usage: %s OUT_FOLDER SIZE...\n       %s --ico OUT.ico SIZE...\n",
                     argv[0], argv[0]);
        return 2;
    }
    // Drawing needs no screen: the build machine may have none.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QString out = QString::fromLocal8Bit(argv[first]);
    std::vector<int> sizes;
    for (int i = first + 1; i < argc; ++i) {
        const int size = ParseSize(argv[i]);
        if (size == 0 || (ico && size > 256)) {
            std::fprintf(stderr, "bad icon size: %s\n", argv[i]);
            return 2;
        }
        sizes.push_back(size);
    }
    if (ico) {
        if (!WriteIconFile(out, sizes)) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(out));
            return 1;
        }
        return 0;
    }
    for (int size : sizes) {
        const QString folder = QStringLiteral("%1/%2x%2/apps").arg(out).arg(size);
        const QString file = folder + QStringLiteral("/kotar.png");
        if (!QDir().mkpath(folder) || !kotar::DrawProgramIcon(size).save(file, "PNG")) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
            return 1;
        }
    }
    return 0;
}
