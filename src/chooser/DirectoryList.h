#pragma once

#include <QListWidget>

// A directory list in the classic style: the current path from its root down, each level
// indented one step further under an open folder, then the subdirectories of the current
// directory under closed folders. Double-clicking an entry, or pressing Enter on it, makes it
// the current directory.
class DirectoryList : public QListWidget {
    Q_OBJECT
public:
    explicit DirectoryList(QWidget* parent = nullptr);

    // The current directory, absolute, with "/" separators.
    QString path() const { return path_; }
    // Moves to a directory. A path that is not a readable directory changes nothing and
    // returns false.
    bool setPath(const QString& path);

    // The directory an entry stands for.
    static QString entryPath(const QListWidgetItem* item);

signals:
    void pathChanged(const QString& path);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void refill();
    void addEntry(const QString& path, const QString& text, int depth, bool open);
    void open(QListWidgetItem* item);

    QString path_;
};
