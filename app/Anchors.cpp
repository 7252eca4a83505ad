#include "app/Anchors.h"

#include <QEvent>
#include <QRect>
#include <QVariant>
#include <QWidget>

namespace pellum {

namespace {

// Kept on the anchored widget itself, so that nothing outlives it or has to forget it.
constexpr const char* kBase = "pellumAnchorBase";
constexpr const char* kFollows = "pellumAnchorFollows";
constexpr const char* kWatched = "pellumAnchorsWatched";  // set on the parent

QSize grownBy(const QWidget* parent) {
    const QVariant base = parent->property(kBase);
    QSize extra;
    if (base.isValid())
        extra = parent->size() - base.toRect().size();
    else if (!parent->minimumSize().isEmpty())
        extra = parent->size() - parent->minimumSize();
    else if (parent->parentWidget())
        return grownBy(parent->parentWidget());
    return extra.expandedTo(QSize(0, 0));
}

void follow(QWidget* widget, QSize extra) {
    const auto follows = Follows::fromInt(widget->property(kFollows).toInt());
    QRect place = widget->property(kBase).toRect();
    if (follows & Follow::Right) place.translate(extra.width(), 0);
    if (follows & Follow::Down) place.translate(0, extra.height());
    if (follows & Follow::Width) place.setWidth(place.width() + extra.width());
    if (follows & Follow::Height) place.setHeight(place.height() + extra.height());
    if (widget->geometry() != place) widget->setGeometry(place);
}

// Lets a parent's anchored children follow each of its resizes.
class ParentWatch : public QObject {
public:
    explicit ParentWatch(QWidget* parent) : QObject(parent) { parent->installEventFilter(this); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Resize) {
            auto* parent = static_cast<QWidget*>(watched);
            const QSize extra = grownBy(parent);
            for (QWidget* child : parent->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
                if (child->property(kBase).isValid()) follow(child, extra);
        }
        return false;
    }
};

}  // namespace

void anchor(QWidget* widget, Follows follows) {
    QWidget* parent = widget->parentWidget();
    widget->setProperty(kBase, widget->geometry());
    widget->setProperty(kFollows, follows.toInt());
    if (!parent->property(kWatched).toBool()) {
        parent->setProperty(kWatched, true);
        new ParentWatch(parent);
    }
    follow(widget, grownBy(parent));
}

void reanchor(QWidget* widget, const QRect& smallest) {
    widget->setProperty(kBase, smallest);
    follow(widget, grownBy(widget->parentWidget()));
}

}  // namespace pellum
