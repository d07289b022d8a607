// Draws the program's SVG pictures once, when the program is built, as the
// PNG files it shows at start-up (the window icon in its sizes, the splash at
// one and two device pixels per pixel), so that starting renders no SVG, and
// the largest icon the desktop's launcher takes (256):
//   foodlark-renderimages OUTPUT_DIR LOGO_SVG SPLASH_SVG
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <cstdio>

namespace {

bool render(const QString& svg, const QSize& size, bool onWhite, const QString& file)
{
    QSvgRenderer renderer(svg);
    if (!renderer.isValid())
        return false;
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(onWhite ? Qt::white : Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    renderer.render(&painter, QRectF(QPointF(), QSizeF(size)));
    painter.end();
    return image.save(file, "PNG");
}

} // namespace

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 4) {
        std::fprintf(stderr, "usage: foodlark-renderimages OUTPUT_DIR LOGO_SVG SPLASH_SVG\n");
        return 2;
    }
    const QDir out(args[1]);
    bool ok = out.mkpath(QStringLiteral("."));
    for (int size : {16, 24, 32, 48, 64, 128, 256})
        ok = ok &&
             render(args[2], QSize(size, size), false, out.filePath(QStringLiteral("lark-%1.png").arg(size)));
    const QSize splash = QSvgRenderer(args[3]).defaultSize();
    ok = ok && render(args[3], splash, true, out.filePath(QStringLiteral("splash.png"))) &&
         render(args[3], splash * 2, true, out.filePath(QStringLiteral("splash@2x.png")));
    if (!ok) {
        std::fprintf(stderr, "foodlark-renderimages: cannot draw the pictures into %s\n",
                     qPrintable(args[1]));
        return 1;
    }
    return 0;
}
