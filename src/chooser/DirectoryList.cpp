#include "chooser/DirectoryList.h"

#include "chooser/ChooserFiles.h"

#include <QDir>
#include <QKeyEvent>
#include <QStyledItemDelegate>

namespace {

constexpr int PathRole = Qt::UserRole;
constexpr int DepthRole = Qt::UserRole + 1;
constexpr int IndentStep = 8;

// Shifts each entry right by its depth, so that the list reads like a tree.
class IndentingDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        QStyleOptionViewItem indented(option);
        indented.rect.setLeft(option.rect.left() + indent(index));
        QStyledItemDelegate::paint(painter, indented, index);
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        return QStyledItemDelegate::sizeHint(option, index) + QSize(indent(index), 0);
    }

private:
    static int indent(const QModelIndex& index) {
        return index.data(DepthRole).toInt() * IndentStep;
    }
};

// The directory and its ancestors, the root first.
QStringList pathFromRoot(const QString& path) {
    QStringList chain;
    QDir dir(path);
    chain.prepend(dir.absolutePath());
    while (!dir.isRoot() && dir.cdUp())
        chain.prepend(dir.absolutePath());
    return chain;
}

} // namespace

DirectoryList::DirectoryList(QWidget* parent) : QListWidget(parent) {
    setItemDelegate(new IndentingDelegate(this));
    setSelectionMode(QAbstractItemView::SingleSelection);
    setUniformItemSizes(true);
    connect(this, &QListWidget::itemDoubleClicked, this, &DirectoryList::open);
}

bool DirectoryList::setPath(const QString& path) {
    const QFileInfo target(path);
    if (!target.isDir() || !target.isReadable())
        return false;
    const QString clean = QDir::cleanPath(target.absoluteFilePath());
    if (clean == path_)
        return true;
    path_ = clean;
    refill();
    emit pathChanged(path_);
    return true;
}

QString DirectoryList::entryPath(const QListWidgetItem* item) {
    return item ? item->data(PathRole).toString() : QString();
}

void DirectoryList::refill() {
    clear();
    const QStringList chain = pathFromRoot(path_);
    for (int depth = 0; depth < chain.size(); ++depth) {
        const QString& dir = chain[depth];
        const QString name = depth == 0 ? QDir::toNativeSeparators(dir) : QFileInfo(dir).fileName();
        addEntry(dir, name, depth, true);
    }
    QListWidgetItem* current = item(count() - 1);
    const QDir here(path_);
    for (const QString& child : ListSubdirectories(path_))
        addEntry(here.absoluteFilePath(child), child, int(chain.size()), false);
    setCurrentItem(current);
    scrollToItem(current);
}

void DirectoryList::addEntry(const QString& path, const QString& text, int depth, bool open) {
    auto* entry = new QListWidgetItem(
        style()->standardIcon(open ? QStyle::SP_DirOpenIcon : QStyle::SP_DirClosedIcon), text,
        this);
    entry->setData(PathRole, path);
    entry->setData(DepthRole, depth);
}

void DirectoryList::open(QListWidgetItem* item) {
    if (item)
        setPath(entryPath(item));
}

void DirectoryList::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        open(currentItem());
        event->accept();
        return;
    }
    QListWidget::keyPressEvent(event);
}
