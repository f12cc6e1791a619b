#include "WorkerPool.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>

#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace
{

using Clock = std::chrono::steady_clock;
constexpr int EXIT_GRACE_SECONDS = 5;

double secondsBetween(Clock::time_point from, Clock::time_point to)
{
    return std::chrono::duration<double>(to - from).count();
}

// Waits for a worker that is ending, or should: after the grace time it is killed.
int reap(pid_t pid)
{
    int status = 0;
    const Clock::time_point deadline = Clock::now() + std::chrono::seconds(EXIT_GRACE_SECONDS);
    while (waitpid(pid, &status, WNOHANG) == 0)
    {
        if (Clock::now() > deadline)
        {
            kill(pid, SIGKILL);
            while (waitpid(pid, &status, 0) < 0 && errno == EINTR)
            {
            }
            break;
        }
        usleep(2000);
    }
    return status;
}

std::string describeEnd(int status, std::string& fault)
{
    if (WIFSIGNALED(status))
    {
        fault = "crashed";
        const int sig = WTERMSIG(status);
        return "the worker was killed by signal " + std::to_string(sig) + " (" + strsignal(sig) + ")";
    }
    fault = "worker exited";
    return "the worker ended with status " + std::to_string(WEXITSTATUS(status)) + " without an answer";
}

std::string shortNumber(double s)
{
    char buf[32];
    std::snprintf(buf, sizeof buf, "%g", s);
    return buf;
}

} // namespace

struct WorkerPool::Worker
{
    pid_t pid = -1;
    int channel = -1;  // both ways: requests out, replies in
    std::string input; // a reply not yet complete
    std::ptrdiff_t job = -1;
    Clock::time_point since;
};

WorkerPool::WorkerPool(std::vector<std::string> command, int workers, double timeoutSeconds) :
    command_(std::move(command)),
    timeoutSeconds_(timeoutSeconds),
    workers_(static_cast<std::size_t>(std::max(1, workers))) {}

WorkerPool::~WorkerPool()
{
    for (Worker& w : workers_)
        stop(w, false);
}

bool WorkerPool::spawn(Worker& w, std::string& problem)
{
    int ends[2];
    // A socket rather than pipes: a write to a worker that has died fails
    // instead of raising SIGPIPE here. Close-on-exec keeps each worker from
    // holding its siblings' channels open.
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0)
    {
        problem = std::string("cannot make a channel to a worker: ") + std::strerror(errno);
        return false;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, ends[1], STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, ends[1], STDOUT_FILENO);
    std::vector<char*> argv;
    for (std::string& a : command_)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    const int error = posix_spawn(&w.pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(ends[1]);
    if (error != 0)
    {
        close(ends[0]);
        w.pid = -1;
        problem = "cannot start a worker " + command_[0] + ": " + std::strerror(error);
        return false;
    }
    w.channel = ends[0];
    w.input.clear();
    return true;
}

void WorkerPool::stop(Worker& w, bool kill)
{
    if (w.pid < 0)
        return;
    if (kill)
        ::kill(w.pid, SIGKILL);
    // An idle worker ends when its channel closes; one stuck on its way out
    // must not keep the batch from its summary.
    close(w.channel);
    reap(w.pid);
    w.pid = -1;
    w.channel = -1;
    w.job = -1;
}

void WorkerPool::run(const std::vector<std::string>& requests, const std::vector<std::string>& exclusive,
                     const std::function<void(std::size_t)>& started,
                     const std::function<void(std::size_t, const WorkerReply&)>& finished)
{
    std::size_t next = 0, done = 0;
    auto lose = [&](Worker& w, WorkerReply reply, bool kill) {
        const std::size_t job = static_cast<std::size_t>(w.job);
        reply.seconds = secondsBetween(w.since, Clock::now());
        stop(w, kill);
        w.job = -1;
        ++done;
        finished(job, reply);
    };

    auto waitsForAnother = [&](std::size_t k) {
        if (k >= exclusive.size() || exclusive[k].empty())
            return false;
        return std::any_of(workers_.begin(), workers_.end(), [&](const Worker& w) {
            return w.job >= 0 && exclusive[static_cast<std::size_t>(w.job)] == exclusive[k];
        });
    };

    while (done < requests.size())
    {
        for (Worker& w : workers_)
        {
            if (w.job >= 0 || next >= requests.size())
                continue;
            // Keeping to the given order, the next request waits rather than being passed.
            if (waitsForAnother(next))
                break;
            const std::size_t k = next++;
            started(k);
            w.job = static_cast<std::ptrdiff_t>(k);
            w.since = Clock::now();
            WorkerReply reply;
            if (w.pid < 0 && !spawn(w, reply.problem))
            {
                reply.fault = "not started";
                w.job = -1;
                ++done;
                finished(k, reply);
                continue;
            }
            const std::string line = requests[k] + '\n';
            // A failed send means the worker is gone: its channel's end says so below.
            for (std::size_t sent = 0; sent < line.size();)
            {
                const ssize_t n = send(w.channel, line.data() + sent, line.size() - sent, MSG_NOSIGNAL);
                if (n < 0 && errno == EINTR)
                    continue;
                if (n <= 0)
                    break;
                sent += static_cast<std::size_t>(n);
            }
        }

        std::vector<pollfd> fds;
        std::vector<Worker*> polled;
        int waitMs = -1;
        const Clock::time_point now = Clock::now();
        for (Worker& w : workers_)
        {
            if (w.job < 0)
                continue;
            fds.push_back({ w.channel, POLLIN, 0 });
            polled.push_back(&w);
            if (timeoutSeconds_ > 0)
            {
                const double left = timeoutSeconds_ - secondsBetween(w.since, now);
                const int ms = std::max(0, static_cast<int>(std::ceil(left * 1000.0)));
                waitMs = waitMs < 0 ? ms : std::min(waitMs, ms);
            }
        }
        if (fds.empty())
            continue;
        if (poll(fds.data(), fds.size(), waitMs) < 0 && errno != EINTR)
            break;

        for (std::size_t i = 0; i < fds.size(); ++i)
        {
            Worker& w = *polled[i];
            if (!(fds[i].revents & (POLLIN | POLLHUP | POLLERR)))
                continue;
            char buf[65536];
            const ssize_t n = read(w.channel, buf, sizeof buf);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
            {
                // The worker is gone: learn how before it is reaped.
                const int status = reap(w.pid);
                close(w.channel);
                w.channel = -1;
                w.pid = -1;
                WorkerReply reply;
                reply.problem = describeEnd(status, reply.fault);
                lose(w, reply, false);
                continue;
            }
            const std::size_t searched = w.input.size(); // a long reply comes in many reads
            w.input.append(buf, static_cast<std::size_t>(n));
            const std::size_t end = w.input.find('\n', searched);
            if (end == std::string::npos)
                continue;
            WorkerReply reply;
            reply.answered = true;
            reply.line = w.input.substr(0, end);
            reply.seconds = secondsBetween(w.since, Clock::now());
            w.input.erase(0, end + 1);
            const std::size_t job = static_cast<std::size_t>(w.job);
            w.job = -1;
            ++done;
            finished(job, reply);
        }

        if (timeoutSeconds_ <= 0)
            continue;
        for (Worker& w : workers_)
        {
            if (w.job < 0 || secondsBetween(w.since, Clock::now()) < timeoutSeconds_)
                continue;
            WorkerReply reply;
            reply.fault = "timed out";
            reply.problem = "no answer within " + shortNumber(timeoutSeconds_) + " s; the worker was stopped";
            lose(w, reply, true);
        }
    }
    for (Worker& w : workers_)
        stop(w, false);
}
