#include "app/program_icons.h"

#include "app/message_box.h"

#include <QApplication>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QStyle>

namespace valmuri {

namespace {

// A disc seen from above, its label ring tinted with accent.
void draw_disc(QPainter& p, const QRectF& box, const QColor& accent)
{
    QRadialGradient shine(box.center(), box.width() / 2, box.topLeft() + QPointF(box.width() * 0.3, box.height() * 0.3));
    shine.setColorAt(0, QColor(250, 250, 255));
    shine.setColorAt(0.5, QColor(190, 205, 225));
    shine.setColorAt(1, QColor(130, 150, 185));
    p.setPen(QPen(QColor(80, 90, 110), box.width() / 40));
    p.setBrush(shine);
    p.drawEllipse(box);
    QRectF ring = box.adjusted(box.width() * 0.3, box.height() * 0.3, -box.width() * 0.3, -box.height() * 0.3);
    p.setBrush(accent);
    p.drawEllipse(ring);
    QRectF hole = box.adjusted(box.width() * 0.44, box.height() * 0.44, -box.width() * 0.44, -box.height() * 0.44);
    p.setBrush(Qt::white);
    p.drawEllipse(hole);
}

QPixmap canvas(int size)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    return pixmap;
}

QIcon disc_icon(const QColor& accent, const QColor& mark)
{
    QPixmap pixmap = canvas(32);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    draw_disc(p, QRectF(2, 2, 28, 28), accent);
    if (mark.isValid()) {
        p.setPen(QPen(mark, 4, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(20, 20), QPointF(29, 29));
        p.drawLine(QPointF(29, 20), QPointF(20, 29));
    }
    return QIcon(pixmap);
}

QIcon plus_icon()
{
    QPixmap pixmap = canvas(32);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(60, 110, 40), 1.5));
    p.setBrush(QColor(110, 190, 70));
    QPainterPath cross;
    cross.addRoundedRect(QRectF(12, 3, 8, 26), 2, 2);
    cross.addRoundedRect(QRectF(3, 12, 26, 8), 2, 2);
    cross.setFillRule(Qt::WindingFill);
    p.drawPath(cross.simplified());
    return QIcon(pixmap);
}

QIcon list_icon()
{
    QPixmap pixmap = canvas(32);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(90, 90, 90), 1));
    p.setBrush(Qt::white);
    p.drawRoundedRect(QRectF(5, 2, 22, 28), 2, 2);
    p.setPen(QPen(QColor(40, 90, 170), 2));
    for (int y = 8; y <= 24; y += 5)
        p.drawLine(QPointF(9, y), QPointF(23, y));
    return QIcon(pixmap);
}

// Style and theme pictures come in whatever sizes they have; toolbar
// buttons line up only when every picture fills the same square.
QIcon filled(const QIcon& icon)
{
    QPixmap pixmap = canvas(32);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.drawPixmap(QRect(0, 0, 32, 32), icon.pixmap(QSize(32, 32)));
    return QIcon(pixmap);
}

QIcon help_icon()
{
    QPixmap pixmap = canvas(32);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    QRadialGradient fill(QPointF(12, 10), 20);
    fill.setColorAt(0, QColor(120, 180, 255));
    fill.setColorAt(1, QColor(30, 90, 190));
    p.setPen(QPen(QColor(20, 60, 140), 1));
    p.setBrush(fill);
    p.drawEllipse(QRectF(3, 3, 26, 26));
    p.setPen(Qt::white);
    QFont font = p.font();
    font.setPixelSize(20);
    font.setBold(true);
    p.setFont(font);
    p.drawText(QRectF(3, 3, 26, 26), Qt::AlignCenter, QStringLiteral("?"));
    return QIcon(pixmap);
}

} // namespace

QIcon program_icon()
{
    QPixmap pixmap = canvas(64);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    draw_disc(p, QRectF(2, 2, 60, 60), QColor(255, 128, 0));
    p.setPen(QColor(40, 40, 40));
    QFont font = p.font();
    font.setPixelSize(13);
    font.setBold(true);
    p.setFont(font);
    p.drawText(QRectF(0, 40, 64, 20), Qt::AlignCenter, QStringLiteral("MP3"));
    return QIcon(pixmap);
}

QIcon toolbar_icon(ToolbarPicture picture)
{
    QStyle* style = QApplication::style();
    switch (picture) {
    case ToolbarPicture::New:
        return filled(QIcon::fromTheme("document-new", style->standardIcon(QStyle::SP_FileIcon)));
    case ToolbarPicture::Save:
        return filled(QIcon::fromTheme("document-save", style->standardIcon(QStyle::SP_DialogSaveButton)));
    case ToolbarPicture::Open:
        return filled(QIcon::fromTheme("document-open", style->standardIcon(QStyle::SP_DirOpenIcon)));
    case ToolbarPicture::Add:
        return plus_icon();
    case ToolbarPicture::Burn:
        return disc_icon(QColor(255, 128, 0), QColor());
    case ToolbarPicture::Erase:
        return disc_icon(QColor(170, 190, 210), QColor(200, 30, 30));
    case ToolbarPicture::List:
        return list_icon();
    case ToolbarPicture::Up:
        return filled(style->standardIcon(QStyle::SP_ArrowUp));
    case ToolbarPicture::Down:
        return filled(style->standardIcon(QStyle::SP_ArrowDown));
    case ToolbarPicture::Help:
        return QIcon::fromTheme("help-contents", help_icon());
    }
    return {};
}

QPixmap splash_picture(const QSize& size)
{
    QPixmap pixmap(size);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, size.height());
    sky.setColorAt(0, QColor(20, 40, 90));
    sky.setColorAt(1, QColor(60, 120, 200));
    p.fillRect(pixmap.rect(), sky);
    double disc = size.height() * 0.62;
    draw_disc(p, QRectF(size.width() - disc * 0.85, size.height() - disc * 0.9, disc, disc), QColor(255, 128, 0));
    p.setPen(Qt::white);
    QFont font = p.font();
    font.setPixelSize(34);
    font.setBold(true);
    p.setFont(font);
    p.drawText(QRectF(24, 40, size.width() - 48, 44), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Valmuri MP3"));
    font.setPixelSize(15);
    font.setBold(false);
    p.setFont(font);
    p.drawText(QRectF(26, 86, size.width() - 48, 24), Qt::AlignLeft | Qt::AlignVCenter,
               QString::fromUtf8("Gravação de CDs de MP3"));
    font.setPixelSize(12);
    p.setFont(font);
    p.drawText(QRectF(26, size.height() - 36, size.width() - 48, 20), Qt::AlignLeft | Qt::AlignVCenter,
               QString::fromUtf8(kProgramTitle));
    p.setPen(QPen(QColor(255, 255, 255, 120), 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(pixmap.rect().adjusted(0, 0, -1, -1));
    return pixmap;
}

} // namespace valmuri
