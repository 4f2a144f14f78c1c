#include "app/PointerRules.h"

#include "core/Failure.h"

#include <QEnterEvent>
#include <QFile>
#include <QImageReader>
#include <QMouseEvent>
#include <QPixmap>
#include <QWidget>
#include <QtEndian>

using namespace Qt::StringLiterals;

PointerRules::PointerRules(WindowPointer &pointer, QObject *parent)
    : QObject(parent), m_pointer(pointer)
{
}

void PointerRules::addHandTarget(QWidget *widget)
{
    add(widget, WindowPointer::Shape::Custom);
}

void PointerRules::addDefaultTarget(QWidget *widget)
{
    add(widget, WindowPointer::Shape::Default);
}

void PointerRules::add(QWidget *widget, WindowPointer::Shape shape)
{
    m_targets.insert(widget, shape);
    widget->setMouseTracking(true);
    widget->installEventFilter(this);
    connect(widget, &QObject::destroyed, this, [this](QObject *gone) { m_targets.remove(gone); });
}

bool PointerRules::eventFilter(QObject *watched, QEvent *event)
{
    QPointF position;
    switch (event->type()) {
    case QEvent::MouseMove:
        position = static_cast<QMouseEvent *>(event)->position();
        break;
    case QEvent::Enter:
        position = static_cast<QEnterEvent *>(event)->position();
        break;
    default:
        return false;
    }
    const auto target = m_targets.constFind(watched);
    if (target == m_targets.constEnd())
        return false;
    // A move that a child did not take reaches its parent too; only the
    // control that is really under the pointer applies its rule.
    if (static_cast<QWidget *>(watched)->childAt(position.toPoint()) != nullptr)
        return false;
    if (!m_pointer.busy() && m_pointer.shape() != *target)
        m_pointer.set(*target);
    return false;
}

namespace {

// A .cur file starts with ICONDIR (reserved, type 2, count) and then one
// ICONDIRENTRY per image, whose planes and bit-count fields hold the hot spot.
std::optional<QPoint> curHotSpot(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray head = file.read(6 + 16);
    if (head.size() < 6 + 16)
        return std::nullopt;
    const auto word = [&head](int at) { return qFromLittleEndian<quint16>(head.constData() + at); };
    if (word(0) != 0 || word(2) != 2 || word(4) == 0)
        return std::nullopt;
    return QPoint(word(6 + 4), word(6 + 6));
}

} // namespace

QCursor loadCursorFile(const QString &path)
{
    QImageReader reader(path);
    reader.setDecideFormatFromContent(true);
    const QImage image = reader.read();
    if (image.isNull())
        throw Failure(u"Invalid picture"_s);
    const QPixmap pixmap = QPixmap::fromImage(image);
    if (const auto hotSpot = curHotSpot(path);
        hotSpot && hotSpot->x() < pixmap.width() && hotSpot->y() < pixmap.height())
        return QCursor(pixmap, hotSpot->x(), hotSpot->y());
    return QCursor(pixmap, 0, 0);
}

QCursor cursorForShape(WindowPointer::Shape shape, const std::optional<QCursor> &custom)
{
    switch (shape) {
    case WindowPointer::Shape::Hourglass:
        return QCursor(Qt::WaitCursor);
    case WindowPointer::Shape::Custom:
        return custom.value_or(QCursor(Qt::ArrowCursor));
    case WindowPointer::Shape::Default:
        break;
    }
    return QCursor(Qt::ArrowCursor);
}
