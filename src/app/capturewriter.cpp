#include "app/capturewriter.h"

#include "data/database.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QPointer>
#include <QTimer>
#include <condition_variable>
#include <deque>
#include <fcntl.h>
#include <mutex>
#include <thread>
#include <unistd.h>

namespace finishline {

namespace {

// How long a write that could not be stored waits before it is tried again.
constexpr int kRetryMs = 500;
// How long closing waits for the writer's thread; one caught in a stall is
// left to end by itself.
constexpr int kJoinMs = 3000;

} // namespace

// What the writer's thread and the owner share. It outlives the owner when
// the thread is caught in a stall at closing.
struct CaptureWriter::State {
    std::mutex mutex;
    std::condition_variable wake;
    std::deque<Write> queue;
    bool stopping = false;
    bool ended = false;
    // The owner, told of each write done; null once it is gone.
    CaptureWriter* owner = nullptr;

    // The journal: appended in the owner's thread, emptied in the writer's.
    std::mutex fileMutex;
    int fd = -1;
    qint64 keptBytes = 0;
    qint64 appended = 0; // lines appended since the file was opened
    qint64 drainAt = -1; // the count of appended lines all stored, when told
    bool drainAsked = false;

    // The writer's own connection (Threaded).
    DbLocation location;
    QString station;
    QString osUser;
    // The direct connection's retry timer is the owner's.
    std::thread thread;

    // Only when no line was appended after the owner found all stored: a
    // line appended since stands for a write not yet done.
    void emptyJournal()
    {
        std::lock_guard lock(fileMutex);
        if (fd >= 0 && drainAt == appended && ::ftruncate(fd, keptBytes) != 0) {
            // Left longer: the same as a stop just before the truncate,
            // which opening the finish line again sorts out.
        }
        drainAt = -1;
    }

    void post(std::function<void()> then)
    {
        std::lock_guard lock(mutex);
        if (owner)
            QMetaObject::invokeMethod(
                owner, [o = owner, then = std::move(then)] { o->finished(then); }, Qt::QueuedConnection);
    }

    void run()
    {
        Database db(location);
        db.setStation(station, osUser);
        std::unique_lock lock(mutex);
        while (true) {
            wake.wait(lock, [&] { return stopping || !queue.empty() || drainAsked; });
            if (drainAsked && queue.empty()) {
                drainAsked = false;
                lock.unlock();
                emptyJournal();
                lock.lock();
                continue;
            }
            if (stopping && queue.empty())
                break;
            Write write = queue.front();
            lock.unlock();
            // A connection that cannot be made is the write's to judge: a
            // press waits and is tried again, a typed entry is refused.
            if (!db.isOpen())
                (void)db.open();
            const Done done = write(db);
            lock.lock();
            if (done.retry) {
                // The queue waits; closing does not wait for the retry.
                if (wake.wait_for(lock, std::chrono::milliseconds(kRetryMs), [&] { return stopping; }))
                    break;
                continue;
            }
            queue.pop_front();
            lock.unlock();
            post(std::move(done.then));
            lock.lock();
        }
        ended = true;
        lock.unlock();
        wake.notify_all();
    }
};

CaptureWriter::CaptureWriter(Database& db, Mode mode, QString journalPath, QObject* parent)
    : QObject(parent)
    , m_db(db)
    , m_mode(mode)
    , m_journalPath(std::move(journalPath))
    , m_state(std::make_shared<State>())
{
    m_state->owner = this;
    if (!m_journalPath.isEmpty()) {
        m_state->fd = ::open(QFile::encodeName(m_journalPath).constData(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
        if (m_state->fd >= 0)
            m_state->keptBytes = ::lseek(m_state->fd, 0, SEEK_END);
    }
    if (mode == Mode::Threaded) {
        m_state->location = db.location();
        m_state->station = db.stationName();
        m_state->osUser = db.osUserName();
        m_state->thread = std::thread([state = m_state] { state->run(); });
    }
}

CaptureWriter::~CaptureWriter()
{
    std::shared_ptr<State> state = m_state;
    {
        std::unique_lock lock(state->mutex);
        state->owner = nullptr;
        state->stopping = true;
        state->wake.notify_all();
        if (state->thread.joinable()) {
            const bool ended = state->wake.wait_for(lock, std::chrono::milliseconds(kJoinMs), [&] { return state->ended; });
            lock.unlock();
            if (ended)
                state->thread.join();
            else
                state->thread.detach(); // it holds the state and ends by itself
        }
    }
    std::lock_guard fileLock(state->fileMutex);
    if (state->fd >= 0) {
        ::close(state->fd);
        state->fd = -1;
    }
}

void CaptureWriter::submit(Write write)
{
    ++m_submitted;
    {
        std::lock_guard lock(m_state->mutex);
        m_state->queue.push_back(std::move(write));
    }
    if (m_mode == Mode::Threaded)
        m_state->wake.notify_all();
    else if (m_state->queue.size() == 1)
        runDirect();
}

void CaptureWriter::runDirect()
{
    while (!m_state->queue.empty()) {
        const Done done = m_state->queue.front()(m_db);
        if (done.retry) {
            QTimer::singleShot(kRetryMs, this, &CaptureWriter::runDirect);
            return;
        }
        m_state->queue.pop_front();
        finished(done.then);
    }
}

void CaptureWriter::finished(const std::function<void()>& then)
{
    if (then)
        then();
    ++m_finished;
    if (idle())
        emit becameIdle();
}

bool CaptureWriter::waitIdle(int ms)
{
    const QDeadlineTimer deadline(ms);
    while (!idle() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    return idle();
}

bool CaptureWriter::append(const QByteArray& line)
{
    std::lock_guard lock(m_state->fileMutex);
    if (m_state->fd < 0)
        return false;
    qsizetype written = 0;
    while (written < line.size()) {
        const ssize_t n = ::write(m_state->fd, line.constData() + written, size_t(line.size() - written));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        written += n;
    }
    ++m_state->appended;
    return true;
}

bool CaptureWriter::rewrite(const QByteArray& kept, const QByteArray& waiting)
{
    std::lock_guard lock(m_state->fileMutex);
    if (m_state->fd < 0)
        return false;
    if (::ftruncate(m_state->fd, 0) != 0)
        return false;
    m_state->keptBytes = kept.size();
    const QByteArray all = kept + waiting;
    return all.isEmpty() || ::write(m_state->fd, all.constData(), size_t(all.size())) == all.size();
}

void CaptureWriter::drained()
{
    {
        std::lock_guard lock(m_state->fileMutex);
        m_state->drainAt = m_state->appended;
    }
    if (m_mode == Mode::Direct) {
        m_state->emptyJournal();
        return;
    }
    std::lock_guard lock(m_state->mutex);
    m_state->drainAsked = true;
    m_state->wake.notify_all();
}

} // namespace finishline
