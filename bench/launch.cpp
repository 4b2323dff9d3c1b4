// SPDX-License-Identifier: GPL-3.0-or-later
// Starts a program on the current X display and reports, one "key=value" a line:
//   startup_ms    from just before the fork until a top-level window whose title begins with
//                 --name is mapped (told by the X server's MapNotify, no polling);
//   vmhwm_kib     the program's peak resident memory (VmHWM) --hwm-delay-ms after that;
// and with --click X,Y --then-name TITLE: it clicks the first window at client pixel (X, Y) with
// xdotool, waits for the window TITLE to be mapped, lets it settle for --settle-ms, then watches the
// program for --idle-ms doing nothing and reports
//   idle_stat_ms  utime + stime from /proc/PID/stat (all threads; clock ticks of 10 ms);
//   idle_sched_ms the same from the scheduler's own nanosecond counts of every thread;
//   idle_wakeups  the context switches of every thread: how often it woke up at all.
// Then it ends the program. With BENCH_LAUNCH_TRACE set in its environment it also writes every X
// event it sees, with its time, to stderr: a timeline of the program's windows being created,
// configured and mapped.
//
// bench_launch [--name T] [--hwm-delay-ms N] [--click X,Y --then-name T] [--settle-ms N]
//              [--idle-ms N] [--log FILE] -- PROGRAM [ARGS...]

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

double nowMs()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

void sleepMs(double ms)
{
    timespec ts{};
    ts.tv_sec = static_cast<time_t>(ms / 1000);
    ts.tv_nsec = static_cast<long>((ms - ts.tv_sec * 1000.0) * 1e6);
    while (nanosleep(&ts, &ts) != 0) {
    }
}

[[noreturn]] void fail(const std::string &why)
{
    std::fprintf(stderr, "bench_launch: %s\n", why.c_str());
    std::exit(2);
}

// Windows come and go while we look at them; a vanished one is no error.
int ignoreErrors(Display *, XErrorEvent *) { return 0; }

std::string windowTitle(Display *d, Window w)
{
    static const Atom netName = XInternAtom(d, "_NET_WM_NAME", False);
    static const Atom utf8 = XInternAtom(d, "UTF8_STRING", False);
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char *data = nullptr;
    std::string title;
    if (XGetWindowProperty(d, w, netName, 0, 4096, False, utf8, &type, &format, &count, &after, &data) == Success
        && data) {
        title.assign(reinterpret_cast<char *>(data), count);
        XFree(data);
    }
    if (title.empty()) {
        char *name = nullptr;
        if (XFetchName(d, w, &name) && name) {
            title = name;
            XFree(name);
        }
    }
    return title;
}

struct Mapped {
    Window window = 0;
    double atMs = 0;
};

// Waits for a top-level window whose title begins with `prefix` to be mapped.
Mapped waitForMap(Display *d, const std::string &prefix, pid_t child, double patienceMs)
{
    const double deadline = nowMs() + patienceMs;
    const int fd = ConnectionNumber(d);
    for (;;) {
        while (XPending(d)) {
            XEvent ev;
            XNextEvent(d, &ev);
            if (std::getenv("BENCH_LAUNCH_TRACE"))
                std::fprintf(stderr, "%.2f event %d window %lx\n", nowMs(), ev.type,
                             ev.type == CreateNotify ? ev.xcreatewindow.window : ev.xany.window);
            if (ev.type != MapNotify)
                continue;
            const double at = nowMs();
            if (windowTitle(d, ev.xmap.window).rfind(prefix, 0) == 0)
                return {ev.xmap.window, at};
        }
        int status = 0;
        if (waitpid(child, &status, WNOHANG) == child)
            fail("the program ended before its window \"" + prefix + "\" was shown");
        const double left = deadline - nowMs();
        if (left <= 0)
            fail("no window \"" + prefix + "\" was shown");
        pollfd p{fd, POLLIN, 0};
        poll(&p, 1, static_cast<int>(left < 100 ? left + 1 : 100));
    }
}

std::string readFile(const std::string &path)
{
    std::ifstream in(path);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

long statusField(const std::string &status, const char *field)
{
    const std::string key = std::string(field) + ":";
    const auto at = status.find(key);
    return at == std::string::npos ? -1 : std::strtol(status.c_str() + at + key.size(), nullptr, 10);
}

struct Cpu {
    double statMs = 0;   // utime + stime, all threads
    double schedMs = 0;  // sum of the threads' run time in ns, as ms
    long switches = 0;   // voluntary + involuntary context switches, all threads
};

Cpu readCpu(pid_t pid)
{
    Cpu cpu;
    const std::string stat = readFile("/proc/" + std::to_string(pid) + "/stat");
    const auto close = stat.rfind(')');
    if (close == std::string::npos)
        fail("cannot read /proc/PID/stat");
    std::istringstream fields(stat.substr(close + 2));
    std::vector<std::string> f;
    for (std::string x; fields >> x;)
        f.push_back(x);
    // After the name: state is field 3, so utime (14) and stime (15) are f[11] and f[12].
    const double tick = static_cast<double>(sysconf(_SC_CLK_TCK));
    cpu.statMs = (std::stod(f.at(11)) + std::stod(f.at(12))) * 1000.0 / tick;

    const std::string tasks = "/proc/" + std::to_string(pid) + "/task";
    if (DIR *dir = opendir(tasks.c_str())) {
        while (dirent *e = readdir(dir)) {
            if (e->d_name[0] == '.')
                continue;
            const std::string task = tasks + "/" + e->d_name;
            const std::string sched = readFile(task + "/schedstat");
            if (!sched.empty())
                cpu.schedMs += std::strtod(sched.c_str(), nullptr) / 1e6;
            const std::string status = readFile(task + "/status");
            cpu.switches += statusField(status, "voluntary_ctxt_switches")
                            + statusField(status, "nonvoluntary_ctxt_switches");
        }
        closedir(dir);
    }
    return cpu;
}

void endProgram(pid_t pid)
{
    kill(pid, SIGTERM);
    for (int i = 0; i < 200; ++i) {
        int status = 0;
        if (waitpid(pid, &status, WNOHANG) == pid)
            return;
        sleepMs(10);
    }
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
}

}  // namespace

int main(int argc, char **argv)
{
    std::string name, thenName, log = "/dev/null";
    int clickX = -1, clickY = -1;
    double hwmDelayMs = 1000, settleMs = 1000, idleMs = 0;
    int i = 1;
    for (; i < argc; ++i) {
        const std::string a = argv[i];
        const auto value = [&]() -> std::string {
            if (i + 1 >= argc)
                fail("missing value after " + a);
            return argv[++i];
        };
        if (a == "--")
            break;
        if (a == "--name")
            name = value();
        else if (a == "--then-name")
            thenName = value();
        else if (a == "--click") {
            const std::string v = value();
            if (std::sscanf(v.c_str(), "%d,%d", &clickX, &clickY) != 2)
                fail("--click wants X,Y");
        } else if (a == "--hwm-delay-ms")
            hwmDelayMs = std::stod(value());
        else if (a == "--settle-ms")
            settleMs = std::stod(value());
        else if (a == "--idle-ms")
            idleMs = std::stod(value());
        else if (a == "--log")
            log = value();
        else
            fail("unknown option " + a);
    }
    if (i + 1 >= argc || name.empty())
        fail("usage: bench_launch --name TITLE [options] -- PROGRAM [ARGS...]");
    char **program = argv + i + 1;

    Display *d = XOpenDisplay(nullptr);
    if (!d)
        fail("no X display");
    XSetErrorHandler(ignoreErrors);
    const Window root = DefaultRootWindow(d);
    XSelectInput(d, root, SubstructureNotifyMask);
    XSync(d, False);

    const double spawn = nowMs();
    if (std::getenv("BENCH_LAUNCH_TRACE"))
        std::fprintf(stderr, "%.2f spawn\n", spawn);
    const pid_t pid = fork();
    if (pid < 0)
        fail("fork failed");
    if (pid == 0) {
        const int out = open(log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
        if (out >= 0) {
            dup2(out, STDOUT_FILENO);
            dup2(out, STDERR_FILENO);
        }
        execv(program[0], program);
        _exit(127);
    }

    const Mapped first = waitForMap(d, name, pid, 20000);
    std::printf("startup_ms=%.2f\n", first.atMs - spawn);
    std::fflush(stdout);

    sleepMs(hwmDelayMs);
    const std::string status = readFile("/proc/" + std::to_string(pid) + "/status");
    std::printf("vmhwm_kib=%ld\nvmrss_kib=%ld\n", statusField(status, "VmHWM"), statusField(status, "VmRSS"));
    std::fflush(stdout);

    if (clickX >= 0) {
        char command[256];
        std::snprintf(command, sizeof command, "xdotool mousemove --window %lu %d %d click 1",
                      static_cast<unsigned long>(first.window), clickX, clickY);
        const double clicked = nowMs();
        if (std::system(command) != 0)
            fail("xdotool failed");
        if (!thenName.empty()) {
            const Mapped second = waitForMap(d, thenName, pid, 20000);
            std::printf("shown_after_click_ms=%.2f\n", second.atMs - clicked);
        }
    }

    if (idleMs > 0) {
        sleepMs(settleMs);
        const Cpu before = readCpu(pid);
        sleepMs(idleMs);
        const Cpu after = readCpu(pid);
        std::printf("idle_stat_ms=%.1f\nidle_sched_ms=%.3f\nidle_wakeups=%ld\n", after.statMs - before.statMs,
                    after.schedMs - before.schedMs, after.switches - before.switches);
    }

    endProgram(pid);
    XCloseDisplay(d);
    return 0;
}
