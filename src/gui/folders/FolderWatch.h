#pragma once

#include <QObject>

#include <string>

class QSocketNotifier;

namespace brindle
{

/// Watches one folder for entries that come, go, are renamed or changed, and for the folder
/// itself going or changing its permissions: inotify on the folder's bytes, so a path that is
/// not valid text is watched as well.
class FolderWatch : public QObject
{
    Q_OBJECT

public:
    explicit FolderWatch(QObject* parent = nullptr);
    ~FolderWatch() override;

    /// Watches path instead of the folder watched so far; false when it cannot be watched.
    bool watch(const std::string& path);
    /// Watches nothing.
    void clear();

signals:
    /// Something changed in the folder or to it; one signal for the events read together.
    void changed();

private:
    void readEvents();

    int m_fd = -1;
    int m_wd = -1;
    QSocketNotifier* m_notifier = nullptr;
};

} // namespace brindle
