#pragma once
// Worker processes that each answer one request line with one reply line, a
// request at a time. Requests go out in their given order to whichever worker
// is free; a worker that dies or overruns its time is replaced, and its
// request is reported as lost while the others go on.

#include <functional>
#include <string>
#include <vector>

struct WorkerReply
{
    bool answered = false;
    std::string line;     // the reply, without its line end, when answered
    std::string fault;    // otherwise: "crashed", "worker exited", "timed out", "not started"
    std::string problem;  // and what became of the worker, for people
    double seconds = 0.0; // from sending the request to the reply or the loss
};

class WorkerPool
{
  public:
    // `command` is the worker's program and arguments; `timeoutSeconds` <= 0: no limit.
    WorkerPool(std::vector<std::string> command, int workers, double timeoutSeconds);
    ~WorkerPool();
    WorkerPool(const WorkerPool&) = delete;
    WorkerPool& operator=(const WorkerPool&) = delete;

    // `started(k)` is called just before request k goes to a worker (in order of
    // k), `finished(k, reply)` when it comes back or is lost (in any order).
    // Requests whose `exclusive` keys are equal and not empty never run at once
    // (empty `exclusive`: no such keys).
    void run(const std::vector<std::string>& requests, const std::vector<std::string>& exclusive,
             const std::function<void(std::size_t)>& started,
             const std::function<void(std::size_t, const WorkerReply&)>& finished);

  private:
    struct Worker;
    bool spawn(Worker& w, std::string& problem);
    void stop(Worker& w, bool kill);

    std::vector<std::string> command_;
    double timeoutSeconds_;
    std::vector<Worker> workers_;
};
