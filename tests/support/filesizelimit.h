#pragma once

#include <QtGlobal>

#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/resource.h>

// Lowers the file-size limit of this process and (unless told to leave it
// to the program) ignores SIGXFSZ, so that a write past the limit fails with
// EFBIG the way it does on a full disk. Restores both on destruction.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes, bool ignoreSignal = true)
    {
        m_ok = getrlimit(RLIMIT_FSIZE, &m_saved) == 0;
        if (ignoreSignal) {
            m_savedHandler = std::signal(SIGXFSZ, SIG_IGN);
            m_ok = m_ok && m_savedHandler != SIG_ERR;
        }
        rlimit limited = m_saved;
        limited.rlim_cur = bytes;
        m_ok = m_ok && setrlimit(RLIMIT_FSIZE, &limited) == 0;
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &m_saved);
        if (m_savedHandler != SIG_ERR)
            std::signal(SIGXFSZ, m_savedHandler);
    }
    bool ok() const { return m_ok; }

private:
    rlimit m_saved{};
    void (*m_savedHandler)(int) = SIG_ERR;
    bool m_ok = false;
};
#endif
