#pragma once

#include <QString>

#include <condition_variable>
#include <mutex>
#include <thread>

// Copies the archive's WAL back into its file on a thread of its own, with a
// connection of its own. A checkpoint waits for the disk (fsync) for tens of
// milliseconds; on the window's thread it would take a clock tick's whole
// budget in the middle of a read. Sleeps until asked.
class Checkpointer
{
public:
    explicit Checkpointer(const QString &path);
    ~Checkpointer(); // waits for a checkpoint under way, then ends the thread

    Checkpointer(const Checkpointer &) = delete;
    Checkpointer &operator=(const Checkpointer &) = delete;

    // Asks for a checkpoint soon; returns at once.
    void request();

private:
    void run();

    QString m_path;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_requested = false;
    bool m_stop = false;
    std::thread m_thread;
};
