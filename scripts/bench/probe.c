/* Measures from outside, on the X server, how fast a program gets ready and
 * shows its window. All times are in milliseconds; a window is its X id
 * (decimal or 0x hexadecimal), as xdotool prints it.
 *
 *   probe start window|tray ROUNDS [--remove FILE] PROGRAM [ARGUMENTS...]
 *       Starts PROGRAM ROUNDS times, one run after the other, each timed
 *       from the fork to its first top-level window viewable, or with
 *       "tray" to its tray icon viewable inside the system tray, and ended
 *       once ready. The X-Resource extension tells whose a window is, so
 *       the window manager's frames and the tray never count. FILE (a lock
 *       file a killed run leaves) is removed before every start.
 *       Prints: ready <median> <worst> <best>
 *
 *   probe show WINDOW TRIGGER HIDE ROUNDS [COMMAND...]
 *       Times TRIGGER to the first damage on WINDOW after it is mapped.
 *       TRIGGER: "chord" (Alt held, right button pressed, through XTest;
 *       timed from the press), "signal:PID" (SIGUSR1) or "run" (COMMAND
 *       started, timed from the fork). Between rounds the window is hidden
 *       by HIDE: "click" (on a window of the probe's, which takes the
 *       focus), "signal:PID", "escape" or "none" (one round; it stays shown).
 *       Prints: mapped <median> <worst> <best> painted <median> <worst> <best>
 *
 *   probe hide WINDOW HIDE
 *       Hides a shown WINDOW as "show" does between rounds.
 */
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XRes.h>
#include <X11/extensions/XTest.h>
#include <X11/extensions/Xdamage.h>
#include <X11/keysym.h>

#include <poll.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

enum { timeoutMs = 5000, startTimeoutMs = 30000, maxTracked = 512, maxRounds = 1000 };

static double now(void)
{
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec * 1000.0 + t.tv_nsec / 1e6;
}

/* Windows vanish while we look at them; that is no failure here. */
static int ignoreErrors(Display *d, XErrorEvent *e)
{
    (void)d, (void)e;
    return 0;
}

/* The next event, or 0 after `timeout` ms. */
static int nextEvent(Display *d, XEvent *event, int timeout)
{
    double end = now() + timeout;
    while (!XPending(d)) {
        struct pollfd p = {ConnectionNumber(d), POLLIN, 0};
        int left = (int)(end - now());
        if (left <= 0 || poll(&p, 1, left) <= 0)
            return 0;
    }
    XNextEvent(d, event);
    return 1;
}

static void drain(Display *d)
{
    XEvent event;
    XSync(d, False);
    while (XPending(d))
        XNextEvent(d, &event);
}

static int compare(const void *a, const void *b)
{
    double x = *(const double *)a, y = *(const double *)b;
    return x < y ? -1 : x > y;
}

/* Prints "<label> <median> <worst> <best>" and `end`. */
static void report(const char *label, double *values, int n, const char *end)
{
    qsort(values, n, sizeof *values, compare);
    double median = n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
    printf("%s %.1f %.1f %.1f%s", label, median, values[n - 1], values[0], end);
}

static int isViewable(Display *d, Window w)
{
    XWindowAttributes attributes;
    return XGetWindowAttributes(d, w, &attributes) && attributes.map_state == IsViewable;
}

/* The process that made window w, or 0 when the server cannot tell. */
static pid_t ownerOf(Display *d, Window w)
{
    XResClientIdSpec spec = {w, XRES_CLIENT_ID_PID_MASK};
    long count = 0;
    XResClientIdValue *values = NULL;
    pid_t pid = 0;
    if (XResQueryClientIds(d, 1, &spec, &count, &values) != Success)
        return 0;
    for (long i = 0; i < count; ++i) {
        if (values[i].spec.mask == XRES_CLIENT_ID_PID_MASK)
            pid = XResGetClientPid(&values[i]);
    }
    XResClientIdsDestroy(count, values);
    return pid;
}

/* Whether one of the child's windows is now what "ready" means. With a
 * tray (trayPid, the owner of the tray selection), only a window the tray
 * has taken in counts: Qt marks all its windows as embeddable, and the
 * window manager's frames are parents too. */
static int isReady(Display *d, const Window *tracked, int count, pid_t trayPid)
{
    for (int i = 0; i < count; ++i) {
        if (!isViewable(d, tracked[i]))
            continue;
        if (!trayPid)
            return 1;
        Window root, parent = 0, *children = NULL;
        unsigned int n;
        if (XQueryTree(d, tracked[i], &root, &parent, &children, &n) && children)
            XFree(children);
        if (parent && ownerOf(d, parent) == trayPid)
            return 1;
    }
    return 0;
}

/* Politely first, as a program may clean up on SIGTERM, then for sure. */
static void endRun(pid_t pid)
{
    kill(pid, SIGTERM);
    for (int i = 0; i < 200; ++i) {
        if (waitpid(pid, NULL, WNOHANG) == pid)
            return;
        usleep(10000);
    }
    kill(pid, SIGKILL);
    waitpid(pid, NULL, 0);
}

static pid_t spawn(char **command)
{
    pid_t pid = fork();
    if (pid == 0) {
        dup2(2, 1);
        execvp(command[0], command);
        perror(command[0]);
        _exit(127);
    }
    if (pid < 0)
        perror("probe: fork");
    return pid;
}

static int startRounds(Display *d, int tray, int rounds, const char *removeFile, char **command)
{
    Window root = DefaultRootWindow(d);
    pid_t trayPid = 0;
    if (tray) {
        char name[64];
        snprintf(name, sizeof name, "_NET_SYSTEM_TRAY_S%d", DefaultScreen(d));
        Window owner = XGetSelectionOwner(d, XInternAtom(d, name, False));
        if (!owner || !(trayPid = ownerOf(d, owner))) {
            fprintf(stderr, "probe: no system tray runs on this screen\n");
            return 1;
        }
    }
    XSelectInput(d, root, SubstructureNotifyMask);
    double ready[maxRounds];
    for (int round = 0; round < rounds; ++round) {
        Window tracked[maxTracked];
        int count = 0;
        if (removeFile)
            unlink(removeFile);
        drain(d);
        double start = now(), readyAt = -1;
        pid_t pid = spawn(command);
        if (pid < 0)
            return 1;
        XEvent event;
        while (readyAt < 0 && nextEvent(d, &event, (int)(start + startTimeoutMs - now()))) {
            int check = event.type == MapNotify || event.type == ReparentNotify;
            if (event.type == CreateNotify && event.xcreatewindow.parent == root && count < maxTracked
                && ownerOf(d, event.xcreatewindow.window) == pid) {
                tracked[count++] = event.xcreatewindow.window;
                XSelectInput(d, event.xcreatewindow.window, StructureNotifyMask);
                check = 1; /* it may have been mapped before we listened */
            }
            if (check && isReady(d, tracked, count, trayPid))
                readyAt = now();
        }
        endRun(pid);
        if (readyAt < 0) {
            fprintf(stderr, "probe: %s was not ready within %d s\n", command[0], startTimeoutMs / 1000);
            return 1;
        }
        ready[round] = readyAt - start;
        /* Let the server, the window manager and the tray forget the run. */
        usleep(300000);
    }
    report("ready", ready, rounds, "\n");
    return 0;
}

/* How a window is shown or hidden. */
typedef struct {
    enum { chord, run, click, escape, none, signalPid, unknown } kind;
    pid_t pid;
} Action;

static Action parseAction(const char *text)
{
    static const char *names[] = {"chord", "run", "click", "escape", "none"};
    Action action = {unknown, 0};
    for (int i = 0; i < 5; ++i) {
        if (strcmp(text, names[i]) == 0)
            action.kind = i;
    }
    if (strncmp(text, "signal:", 7) == 0 && (action.pid = (pid_t)atol(text + 7)) > 0)
        action.kind = signalPid;
    return action;
}

/* A window of our own to click, so that the shown window loses the focus. */
static void awayWindow(Display *d)
{
    Window away = XCreateSimpleWindow(d, DefaultRootWindow(d), 900, 700, 300, 250, 0, 0, 0xffffff);
    XSizeHints hints = {.flags = USPosition | USSize, .x = 900, .y = 700, .width = 300, .height = 250};
    XSetWMNormalHints(d, away, &hints);
    XSelectInput(d, away, StructureNotifyMask);
    XMapWindow(d, away);
    XEvent event;
    while (nextEvent(d, &event, timeoutMs) && !(event.type == MapNotify && event.xmap.window == away))
        ;
    usleep(300000);
}

/* Hides a shown window and waits until it is unmapped. */
static int hideWindow(Display *d, Window target, Action hide)
{
    if (hide.kind == click) {
        XTestFakeMotionEvent(d, -1, 1050, 825, 0);
        XTestFakeButtonEvent(d, 1, True, 0);
        XTestFakeButtonEvent(d, 1, False, 0);
    } else if (hide.kind == escape) {
        KeyCode key = XKeysymToKeycode(d, XK_Escape);
        XTestFakeKeyEvent(d, key, True, 0);
        XTestFakeKeyEvent(d, key, False, 0);
    } else if (hide.kind == signalPid) {
        kill(hide.pid, SIGUSR1);
    }
    XSync(d, False);
    XEvent event;
    while (nextEvent(d, &event, timeoutMs)) {
        if (event.type == UnmapNotify && event.xunmap.window == target)
            return 1;
    }
    if (!isViewable(d, target))
        return 1;
    fprintf(stderr, "probe: the window was not hidden within %d s\n", timeoutMs / 1000);
    return 0;
}

static int showRounds(Display *d, Window target, Action trigger, Action hide, int rounds, char **command)
{
    int damageEvent, damageError;
    if (!XDamageQueryExtension(d, &damageEvent, &damageError)) {
        fprintf(stderr, "probe: no DAMAGE extension\n");
        return 1;
    }
    XSelectInput(d, target, StructureNotifyMask);
    Damage damage = XDamageCreate(d, target, XDamageReportNonEmpty);
    if (hide.kind == click)
        awayWindow(d);
    KeyCode alt = XKeysymToKeycode(d, XK_Alt_L);
    double mapped[maxRounds], painted[maxRounds];
    for (int i = 0; i < rounds; ++i) {
        /* Land at spread points of a 10 ms polling cycle, the same in every
         * run: 100 ms plus a step of 3.7 ms. */
        usleep(100000 + (i * 3700) % 10000);
        XTestFakeMotionEvent(d, -1, 200 + (i % 10) * 20, 200 + (i % 7) * 20, 0);
        drain(d);
        XDamageSubtract(d, damage, None, None);
        drain(d);
        if (trigger.kind == chord) {
            XTestFakeKeyEvent(d, alt, True, 0);
            XFlush(d);
            usleep(20000);
            XTestFakeButtonEvent(d, 3, True, 0);
            XFlush(d);
        }
        double start = now(), mapAt = -1, paintAt = -1;
        pid_t child = trigger.kind == run ? spawn(command) : 0;
        if (trigger.kind == signalPid)
            kill(trigger.pid, SIGUSR1);
        XEvent event;
        while (paintAt < 0 && nextEvent(d, &event, timeoutMs)) {
            if (event.type == MapNotify && event.xmap.window == target)
                mapAt = now();
            else if (event.type == damageEvent + XDamageNotify && mapAt >= 0)
                paintAt = now();
        }
        if (child > 0)
            waitpid(child, NULL, 0);
        if (trigger.kind == chord) {
            XTestFakeButtonEvent(d, 3, False, 0);
            XTestFakeKeyEvent(d, alt, False, 0);
            XSync(d, False);
        }
        if (paintAt < 0) {
            fprintf(stderr, "probe: round %d: the window was not %s within %d s\n", i + 1,
                    mapAt < 0 ? "mapped" : "painted", timeoutMs / 1000);
            return 1;
        }
        mapped[i] = mapAt - start;
        painted[i] = paintAt - start;
        if (hide.kind != none) {
            usleep(50000);
            if (!hideWindow(d, target, hide))
                return 1;
        }
    }
    report("mapped", mapped, rounds, " ");
    report("painted", painted, rounds, "\n");
    return 0;
}

static int dispatch(Display *d, int argc, char **argv)
{
    if (argc >= 5 && strcmp(argv[1], "start") == 0) {
        int rounds = atoi(argv[3]), offset = strcmp(argv[4], "--remove") == 0 ? 6 : 4;
        if (argc > offset && rounds > 0 && rounds <= maxRounds)
            return startRounds(d, strcmp(argv[2], "tray") == 0, rounds, offset == 6 ? argv[5] : NULL, argv + offset);
    }
    Window target = argc > 2 ? strtoul(argv[2], NULL, 0) : 0;
    if (argc >= 6 && strcmp(argv[1], "show") == 0) {
        Action trigger = parseAction(argv[3]), hide = parseAction(argv[4]);
        int rounds = hide.kind == none ? 1 : atoi(argv[5]);
        if ((trigger.kind == chord || trigger.kind == signalPid || (trigger.kind == run && argc > 6))
            && hide.kind != unknown && rounds > 0 && rounds <= maxRounds)
            return showRounds(d, target, trigger, hide, rounds, argv + 6);
    }
    if (argc == 4 && strcmp(argv[1], "hide") == 0) {
        Action hide = parseAction(argv[3]);
        XSelectInput(d, target, StructureNotifyMask);
        if (!isViewable(d, target))
            return 0;
        /* Mapping our window may take the focus, and so hide the target. */
        if (hide.kind == click)
            awayWindow(d);
        return isViewable(d, target) && !hideWindow(d, target, hide);
    }
    fprintf(stderr, "usage: see the comment at the top of probe.c\n");
    return 2;
}

int main(int argc, char **argv)
{
    Display *d = XOpenDisplay(NULL);
    int resEvent, resError;
    if (!d || !XResQueryExtension(d, &resEvent, &resError)) {
        fprintf(stderr, "probe: no display with the X-Resource extension\n");
        return 1;
    }
    XSetErrorHandler(ignoreErrors);
    int result = dispatch(d, argc, argv);
    /* Closing waits until the server has handled everything sent: an input
     * event still in flight when the connection drops can be lost, and a
     * lost release leaves the button or key held in the server. */
    XCloseDisplay(d);
    return result;
}
