// SPDX-License-Identifier: GPL-3.0-or-later

#include "cli/fleet.h"

#include "base/popups.h"
#include "base/statusline.h"
#include "platform/events.h"

#include <QJsonDocument>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <poll.h>
#include <signal.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <unistd.h>

namespace cli {

namespace {

constexpr int kExitConnectTimedOut = 70;

double g_connectTimeout = 0;
bool g_inChild = false;
volatile std::sig_atomic_t g_stop = 0;

void onConnectTimeout(int)
{
    if (!g_inChild) {
        static const char text[] = "mq-vista-cli: no connection within the time-out (--timeout)\n";
        [[maybe_unused]] const ssize_t n = ::write(2, text, sizeof text - 1);
        _exit(2);
    }
    _exit(kExitConnectTimedOut);
}

void onStop(int) { g_stop = 1; }

// Pop-ups have no operator here: messages go to standard error, confirmations are refused.
class QuietPopups : public ui::Popups {
public:
    void Message(const std::string &title, const std::string &text) override
    {
        std::fprintf(stderr, "%s: %s\n", title.c_str(), text.c_str());
    }
    int Confirm(const std::string &, const std::string &) override { return 0; }
    ui::FileSelectResult FileSelect(const ui::FileSelectRequest &, std::string *) override
    {
        return ui::VAL_NO_FILE_SELECTED;
    }
};

struct Child {
    pid_t pid = -1;
    int fd = -1;
    std::size_t index = 0;
    std::string output;
    std::chrono::steady_clock::time_point started;
    bool killed = false;
};

QJsonObject resultOf(const SensorAddress &address, const std::string &line, int status)
{
    if (WIFEXITED(status) && WEXITSTATUS(status) == kExitConnectTimedOut)
        return FailedResult(address, "no connection within the time-out (--timeout)");
    QJsonParseError parse{};
    const QJsonDocument document = QJsonDocument::fromJson(QByteArray::fromStdString(line), &parse);
    if (parse.error == QJsonParseError::NoError && document.isObject())
        return document.object();
    if (WIFSIGNALED(status))
        return FailedResult(address, "the sensor's worker ended on signal " + std::to_string(WTERMSIG(status)));
    return FailedResult(address, "the sensor's worker ended without a result");
}

} // namespace

QJsonObject FailedResult(const SensorAddress &address, const std::string &error)
{
    QJsonObject result;
    result.insert("address", QString::fromStdString(address.text));
    if (!address.name.empty())
        result.insert("name", QString::fromStdString(address.name));
    result.insert("ok", false);
    result.insert("error", QString::fromStdString(error));
    return result;
}

void PreparePlatform()
{
    static int argc = 1;
    static char name[] = "mq-vista-cli";
    static char *argv[] = {name, nullptr};
    ui::InitPlatform(argc, argv);
    StatusSink quiet;
    SetStatusSink(quiet);
    ui::SetPopups(std::make_unique<QuietPopups>());
}

void SetConnectTimeout(double seconds) { g_connectTimeout = seconds; }

void ArmConnectTimeout()
{
    if (g_connectTimeout <= 0)
        return;
    std::signal(SIGALRM, onConnectTimeout);
    itimerval timer{};
    timer.it_value.tv_sec = static_cast<time_t>(g_connectTimeout);
    timer.it_value.tv_usec =
        static_cast<suseconds_t>((g_connectTimeout - static_cast<double>(timer.it_value.tv_sec)) * 1e6);
    setitimer(ITIMER_REAL, &timer, nullptr);
}

void DisarmConnectTimeout()
{
    itimerval timer{};
    setitimer(ITIMER_REAL, &timer, nullptr);
}

bool StopRequested() { return g_stop != 0; }

void InstallStopHandler()
{
    struct sigaction action {};
    action.sa_handler = onStop;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

std::vector<QJsonObject> RunForEachSensor(const std::vector<SensorAddress> &addresses, int jobs, const SensorWork &work,
                                          double limitSeconds)
{
    std::vector<QJsonObject> results(addresses.size());
    std::vector<Child> running;
    std::size_t next = 0;
    std::fflush(stdout);
    std::fflush(stderr);
    bool forwarded = false;
    while (next < addresses.size() || !running.empty()) {
        // Ctrl+C from a terminal reaches the children too; a stop sent to this process alone
        // is passed on, and no further sensor is begun.
        if (StopRequested() && !forwarded) {
            forwarded = true;
            for (const Child &c : running)
                ::kill(c.pid, SIGINT);
            for (; next < addresses.size(); ++next)
                results[next] = FailedResult(addresses[next], "stopped before this sensor was begun");
        }
        while (next < addresses.size() && static_cast<int>(running.size()) < jobs) {
            int pipeFds[2];
            if (::pipe(pipeFds) != 0) {
                results[next] = FailedResult(addresses[next], std::string("no pipe: ") + std::strerror(errno));
                ++next;
                continue;
            }
            const pid_t pid = ::fork();
            if (pid == 0) {
                ::close(pipeFds[0]);
                g_inChild = true;
                PreparePlatform();
                const QJsonObject result = work(addresses[next]);
                std::string line = QJsonDocument(result).toJson(QJsonDocument::Compact).toStdString() + "\n";
                const char *data = line.data();
                std::size_t left = line.size();
                while (left > 0) {
                    const ssize_t n = ::write(pipeFds[1], data, left);
                    if (n < 0 && errno == EINTR)
                        continue;
                    if (n <= 0)
                        break;
                    data += n;
                    left -= static_cast<std::size_t>(n);
                }
                std::fflush(stderr);
                _exit(0); // no exit handlers: the parent's objects are not the child's to tear down
            }
            ::close(pipeFds[1]);
            if (pid < 0) {
                ::close(pipeFds[0]);
                results[next] = FailedResult(addresses[next], std::string("no process: ") + std::strerror(errno));
                ++next;
                continue;
            }
            running.push_back({pid, pipeFds[0], next, {}, std::chrono::steady_clock::now(), false});
            ++next;
        }
        if (running.empty())
            continue;
        if (limitSeconds > 0)
            for (Child &c : running)
                if (!c.killed &&
                    std::chrono::steady_clock::now() - c.started > std::chrono::duration<double>(limitSeconds)) {
                    ::kill(c.pid, SIGKILL); // its pipe closes, and it is reported below
                    c.killed = true;
                }
        std::vector<pollfd> fds;
        for (const Child &c : running)
            fds.push_back({c.fd, POLLIN, 0});
        if (::poll(fds.data(), fds.size(), 1000) < 0 && errno != EINTR)
            break;
        for (std::size_t i = running.size(); i-- > 0;) {
            if (!(fds[i].revents & (POLLIN | POLLHUP | POLLERR)))
                continue;
            Child &c = running[i];
            char buffer[4096];
            const ssize_t n = ::read(c.fd, buffer, sizeof buffer);
            if (n > 0) {
                c.output.append(buffer, static_cast<std::size_t>(n));
                continue;
            }
            if (n < 0 && errno == EINTR)
                continue;
            ::close(c.fd);
            int status = 0;
            while (::waitpid(c.pid, &status, 0) < 0 && errno == EINTR) {
            }
            results[c.index] =
                c.killed ? FailedResult(addresses[c.index],
                                        "no result within " + std::to_string(static_cast<int>(limitSeconds)) + " s")
                         : resultOf(addresses[c.index], c.output, status);
            running.erase(running.begin() + static_cast<std::ptrdiff_t>(i));
        }
    }
    return results;
}

} // namespace cli
