// Writes the application icon for the desktop: FOLDER/<N>x<N>/apps/kestrin-anonymise.png for each
// size N given, painted by the same artwork code that gives the window its icon.
#include "ui/Artwork.h"

#include <QDir>
#include <QGuiApplication>

#include <cstdlib>
#include <iostream>
#include <stdexcept>
#include <string>

namespace {

int Size(const char* text) {
    char* end = nullptr;
    const long size = std::strtol(text, &end, 10);
    if (*text == '\0' || *end != '\0' || size < 1 || size > 1024) {
        throw std::invalid_argument(std::string("not an icon size: ") + text);
    }
    return static_cast<int>(size);
}

void WriteIcon(const QString& folder, int size) {
    const QString sizeFolder = QStringLiteral("%1/%2x%2/apps").arg(folder).arg(size);
    const QString file = sizeFolder + QStringLiteral("/kestrin-anonymise.png");
    if (!QDir().mkpath(sizeFolder) || !kestrin::ui::FolderWithPage(size).save(file, "PNG")) {
        throw std::runtime_error("cannot write " + file.toStdString());
    }
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::cerr << "Usage: kestrin-icon-files FOLDER SIZE...\n";
        return 2;
    }
    // A build step: there is no display, and none is needed to paint into a pixmap.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    try {
        const QString folder = QString::fromLocal8Bit(argv[1]);
        for (int i = 2; i < argc; ++i) {
            WriteIcon(folder, Size(argv[i]));
        }
    } catch (const std::exception& error) {
        std::cerr << "kestrin-icon-files: " << error.what() << "\n";
        return 1;
    }
    return 0;
}
