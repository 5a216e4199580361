/* Measures from outside, on the X server, how fast a program gets ready,
 * shows its window and repaints it.
 *
 *   probe start window|tray ROUNDS [--remove FILE] PROGRAM [ARGUMENTS...]
 *       Starts PROGRAM ROUNDS times, one run after the other, and times each
 *       from the fork to its first top-level window being viewable, or with
 *       "tray" to its system tray icon being viewable inside the tray. Each
 *       run is ended once it is ready (SIGTERM, SIGKILL after 2 s). The
 *       owner of a window is told by the X-Resource extension, so windows of
 *       the window manager or the tray never count. FILE is removed before
 *       every start (a lock file that a killed run leaves behind). The
 *       program's output goes to our stderr.
 *       Prints: ready <median> <worst> <best>
 *
 *   probe show WINDOW TRIGGER HIDE ROUNDS
 *       Times the trigger to WINDOW being mapped and then painted (the first
 *       damage the server reports on it after the map). TRIGGER is "chord"
 *       (Alt held, right button pressed, through XTest; the time starts when
 *       the press leaves this process) or "signal:PID" (SIGUSR1 to PID).
 *       Between rounds the window is hidden by HIDE: "click" (a click on a
 *       window of this probe, which takes the focus), "signal:PID" (SIGUSR1
 *       again), "escape" (the Escape key) or "none" (one round only; the
 *       window stays shown).
 *       Prints: mapped <median> <worst> painted <median> <worst>
 *
 *   probe expose WINDOW ROUNDS
 *       Sends WINDOW, which must be shown, ROUNDS expose events for its
 *       whole area, each one after the damage that answered the previous.
 *       Prints: painted <median> <worst>
 *
 *   probe hide WINDOW HIDE
 *       Hides a shown WINDOW as "show" does between rounds and waits until
 *       it is unmapped.
 *
 * All times are in milliseconds. A window is given as its X id (decimal or
 * 0x hexadecimal), as xdotool prints it.
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

enum { timeoutMs = 5000, startTimeoutMs = 30000, maxTracked = 512 };

static double now(void)
{
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec * 1000.0 + t.tv_nsec / 1e6;
}

/* Windows vanish while we look at them; that is no failure here. */
static int ignoreErrors(Display *d, XErrorEvent *e)
{
    (void)d;
    (void)e;
    return 0;
}

/* Next event, or 0 after timeoutMs. */
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

static double median(double *values, int n)
{
    qsort(values, n, sizeof *values, compare);
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

static int isViewable(Display *d, Window w)
{
    XWindowAttributes attributes;
    return XGetWindowAttributes(d, w, &attributes) && attributes.map_state == IsViewable;
}

static Window parentOf(Display *d, Window w)
{
    Window root = 0, parent = 0, *children = NULL;
    unsigned int count = 0;
    if (!XQueryTree(d, w, &root, &parent, &children, &count))
        return 0;
    if (children)
        XFree(children);
    return parent;
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

static int hasProperty(Display *d, Window w, Atom property)
{
    int count = 0;
    Atom *atoms = XListProperties(d, w, &count);
    int found = 0;
    for (int i = 0; i < count; ++i)
        found |= atoms[i] == property;
    if (atoms)
        XFree(atoms);
    return found;
}

/* Whether one of the child's windows is now what "ready" means. With a
 * tray (trayPid, the owner of the tray selection), a window counts only
 * once the tray has taken it in: Qt marks all its windows as embeddable,
 * and the window manager's frames are parents too. */
static int isReady(Display *d, const Window *tracked, int count, pid_t trayPid, Atom xembedInfo)
{
    for (int i = 0; i < count; ++i) {
        if (!isViewable(d, tracked[i]))
            continue;
        if (!trayPid
            || (hasProperty(d, tracked[i], xembedInfo) && ownerOf(d, parentOf(d, tracked[i])) == trayPid))
            return 1;
    }
    return 0;
}

/* Ends a run: politely first, as a program may clean up on SIGTERM, then
 * for sure. */
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

static int startRounds(Display *d, int tray, int rounds, const char *removeFile, char **command)
{
    int resEvent, resError;
    if (!XResQueryExtension(d, &resEvent, &resError)) {
        fprintf(stderr, "probe: no X-Resource extension\n");
        return 1;
    }
    Window root = DefaultRootWindow(d);
    Atom xembedInfo = XInternAtom(d, "_XEMBED_INFO", False);
    pid_t trayPid = 0;
    if (tray) {
        char name[64];
        snprintf(name, sizeof name, "_NET_SYSTEM_TRAY_S%d", DefaultScreen(d));
        Window owner = XGetSelectionOwner(d, XInternAtom(d, name, False));
        trayPid = owner ? ownerOf(d, owner) : 0;
        if (!trayPid) {
            fprintf(stderr, "probe: no system tray runs on this screen\n");
            return 1;
        }
    }
    XSelectInput(d, root, SubstructureNotifyMask);
    double *ready = calloc(rounds, sizeof *ready);
    for (int round = 0; round < rounds; ++round) {
        Window tracked[maxTracked];
        int count = 0;
        if (removeFile)
            unlink(removeFile);
        drain(d);
        double start = now();
        pid_t pid = fork();
        if (pid < 0) {
            perror("probe: fork");
            return 1;
        }
        if (pid == 0) {
            dup2(2, 1);
            execvp(command[0], command);
            perror(command[0]);
            _exit(127);
        }
        double readyAt = -1;
        XEvent event;
        while (readyAt < 0 && nextEvent(d, &event, (int)(start + startTimeoutMs - now()))) {
            if (event.type == CreateNotify && event.xcreatewindow.parent == root) {
                Window w = event.xcreatewindow.window;
                if (count < maxTracked && ownerOf(d, w) == pid) {
                    XSelectInput(d, w, StructureNotifyMask | PropertyChangeMask);
                    tracked[count++] = w;
                    /* It may have been mapped before we listened. */
                    if (isReady(d, tracked, count, trayPid, xembedInfo))
                        readyAt = now();
                }
            } else if (event.type == MapNotify || event.type == ReparentNotify
                       || (event.type == PropertyNotify && event.xproperty.atom == xembedInfo)) {
                if (isReady(d, tracked, count, trayPid, xembedInfo))
                    readyAt = now();
            }
        }
        endRun(pid);
        if (readyAt < 0) {
            fprintf(stderr, "probe: run %d of %s was not ready within %d s\n", round + 1, command[0],
                    startTimeoutMs / 1000);
            return 1;
        }
        ready[round] = readyAt - start;
        /* Let the server, the window manager and the tray forget the run. */
        usleep(300000);
    }
    double worst = 0, best = 1e9;
    for (int i = 0; i < rounds; ++i) {
        worst = ready[i] > worst ? ready[i] : worst;
        best = ready[i] < best ? ready[i] : best;
    }
    printf("ready %.1f %.1f %.1f\n", median(ready, rounds), worst, best);
    return 0;
}

/* How a window is shown or hidden: "chord", "click", "escape", "none" or
 * "signal:PID". */
typedef struct {
    enum { chord, click, escape, none, signalPid } kind;
    pid_t pid;
} Action;

static int parseAction(const char *text, Action *action)
{
    action->pid = 0;
    if (strcmp(text, "chord") == 0)
        action->kind = chord;
    else if (strcmp(text, "click") == 0)
        action->kind = click;
    else if (strcmp(text, "escape") == 0)
        action->kind = escape;
    else if (strcmp(text, "none") == 0)
        action->kind = none;
    else if (strncmp(text, "signal:", 7) == 0 && atol(text + 7) > 0) {
        action->kind = signalPid;
        action->pid = (pid_t)atol(text + 7);
    } else {
        fprintf(stderr, "probe: unknown action %s\n", text);
        return 0;
    }
    return 1;
}

/* A window of our own to click, so that the shown window loses the focus. */
static Window awayWindow(Display *d)
{
    Window away = XCreateSimpleWindow(d, DefaultRootWindow(d), 900, 700, 300, 250, 0, 0, 0xffffff);
    XSizeHints hints;
    memset(&hints, 0, sizeof hints);
    hints.flags = USPosition | USSize;
    hints.x = 900;
    hints.y = 700;
    hints.width = 300;
    hints.height = 250;
    XSetWMNormalHints(d, away, &hints);
    XSelectInput(d, away, StructureNotifyMask);
    XMapWindow(d, away);
    XEvent event;
    while (nextEvent(d, &event, timeoutMs) && !(event.type == MapNotify && event.xmap.window == away))
        ;
    usleep(300000);
    return away;
}

static void hideWindow(Display *d, const Action *hide)
{
    switch (hide->kind) {
    case click:
        XTestFakeMotionEvent(d, -1, 1050, 825, 0);
        XTestFakeButtonEvent(d, 1, True, 0);
        XTestFakeButtonEvent(d, 1, False, 0);
        break;
    case escape: {
        KeyCode key = XKeysymToKeycode(d, XK_Escape);
        XTestFakeKeyEvent(d, key, True, 0);
        XTestFakeKeyEvent(d, key, False, 0);
        break;
    }
    case signalPid:
        kill(hide->pid, SIGUSR1);
        break;
    default:
        break;
    }
    XSync(d, False);
}

static int waitUnmapped(Display *d, Window target)
{
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

static int showRounds(Display *d, Window target, const Action *trigger, const Action *hide, int rounds)
{
    int damageEvent, damageError;
    if (!XDamageQueryExtension(d, &damageEvent, &damageError)) {
        fprintf(stderr, "probe: no DAMAGE extension\n");
        return 1;
    }
    if (hide->kind == none)
        rounds = 1;
    XSelectInput(d, target, StructureNotifyMask);
    Damage damage = XDamageCreate(d, target, XDamageReportNonEmpty);
    if (hide->kind == click)
        awayWindow(d);

    KeyCode alt = XKeysymToKeycode(d, XK_Alt_L);
    double *mapped = calloc(rounds, sizeof *mapped);
    double *painted = calloc(rounds, sizeof *painted);
    srand(getpid());
    XEvent event;
    for (int i = 0; i < rounds; ++i) {
        /* Land at a random point of a 10 ms polling cycle. */
        usleep(100000 + rand() % 50000);
        XTestFakeMotionEvent(d, -1, 200 + (i % 10) * 20, 200 + (i % 7) * 20, 0);
        drain(d);
        XDamageSubtract(d, damage, None, None);
        drain(d);

        double start;
        if (trigger->kind == chord) {
            XTestFakeKeyEvent(d, alt, True, 0);
            XFlush(d);
            usleep(20000);
            XTestFakeButtonEvent(d, 3, True, 0);
            XFlush(d);
            start = now();
        } else {
            start = now();
            kill(trigger->pid, SIGUSR1);
        }
        double mapAt = -1, paintAt = -1;
        while (paintAt < 0 && nextEvent(d, &event, timeoutMs)) {
            if (event.type == MapNotify && event.xmap.window == target)
                mapAt = now();
            else if (event.type == damageEvent + XDamageNotify && mapAt >= 0)
                paintAt = now();
        }
        if (trigger->kind == chord) {
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
        if (hide->kind != none) {
            usleep(50000);
            hideWindow(d, hide);
            if (!waitUnmapped(d, target))
                return 1;
        }
    }
    double mapWorst = 0, paintWorst = 0;
    for (int i = 0; i < rounds; ++i) {
        mapWorst = mapped[i] > mapWorst ? mapped[i] : mapWorst;
        paintWorst = painted[i] > paintWorst ? painted[i] : paintWorst;
    }
    printf("mapped %.1f %.1f painted %.1f %.1f\n", median(mapped, rounds), mapWorst, median(painted, rounds),
           paintWorst);
    return 0;
}

static int exposeRounds(Display *d, Window target, int rounds)
{
    int damageEvent, damageError;
    if (!XDamageQueryExtension(d, &damageEvent, &damageError)) {
        fprintf(stderr, "probe: no DAMAGE extension\n");
        return 1;
    }
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(d, target, &attributes) || attributes.map_state != IsViewable) {
        fprintf(stderr, "probe: the window is not shown\n");
        return 1;
    }
    Damage damage = XDamageCreate(d, target, XDamageReportNonEmpty);
    double *painted = calloc(rounds, sizeof *painted);
    XEvent event;
    for (int i = 0; i < rounds; ++i) {
        drain(d);
        XDamageSubtract(d, damage, None, None);
        drain(d);
        /* A synthetic expose: the server clears nothing, so the only damage
         * is the program's own repaint. */
        XEvent expose;
        memset(&expose, 0, sizeof expose);
        expose.xexpose.type = Expose;
        expose.xexpose.display = d;
        expose.xexpose.window = target;
        expose.xexpose.width = attributes.width;
        expose.xexpose.height = attributes.height;
        double start = now();
        XSendEvent(d, target, False, ExposureMask, &expose);
        XFlush(d);
        double paintAt = -1;
        while (paintAt < 0 && nextEvent(d, &event, timeoutMs)) {
            if (event.type == damageEvent + XDamageNotify)
                paintAt = now();
        }
        if (paintAt < 0) {
            fprintf(stderr, "probe: expose %d was not answered by a repaint within %d s\n", i + 1,
                    timeoutMs / 1000);
            return 1;
        }
        painted[i] = paintAt - start;
    }
    double worst = 0;
    for (int i = 0; i < rounds; ++i)
        worst = painted[i] > worst ? painted[i] : worst;
    printf("painted %.2f %.2f\n", median(painted, rounds), worst);
    return 0;
}

static int usage(const char *name)
{
    fprintf(stderr,
            "usage: %s start window|tray ROUNDS [--remove FILE] PROGRAM [ARGUMENTS...]\n"
            "       %s show WINDOW chord|signal:PID click|escape|signal:PID|none ROUNDS\n"
            "       %s expose WINDOW ROUNDS\n"
            "       %s hide WINDOW click|escape|signal:PID\n",
            name, name, name, name);
    return 2;
}

static int run(Display *d, int argc, char **argv);

int main(int argc, char **argv)
{
    if (argc < 4)
        return usage(argv[0]);
    Display *d = XOpenDisplay(NULL);
    if (!d) {
        fprintf(stderr, "probe: no display\n");
        return 1;
    }
    XSetErrorHandler(ignoreErrors);
    int result = run(d, argc, argv);
    /* Closing waits until the server has handled everything sent. An input
     * event still in flight when the connection drops can be lost: a lost
     * release leaves the button or key held in the server (and the window
     * manager's implicit grab with it). */
    XCloseDisplay(d);
    return result;
}

static int run(Display *d, int argc, char **argv)
{
    const char *mode = argv[1];
    if (strcmp(mode, "start") == 0 && argc >= 5) {
        int tray = strcmp(argv[2], "tray") == 0;
        if (!tray && strcmp(argv[2], "window") != 0)
            return usage(argv[0]);
        int rounds = atoi(argv[3]);
        char **command = argv + 4;
        const char *removeFile = NULL;
        if (strcmp(command[0], "--remove") == 0) {
            if (argc < 7)
                return usage(argv[0]);
            removeFile = command[1];
            command += 2;
        }
        return startRounds(d, tray, rounds < 1 ? 1 : rounds, removeFile, command);
    }
    Window target = strtoul(argv[2], NULL, 0);
    if (strcmp(mode, "show") == 0 && argc == 6) {
        Action trigger, hide;
        if (!parseAction(argv[3], &trigger) || !parseAction(argv[4], &hide)
            || (trigger.kind != chord && trigger.kind != signalPid))
            return usage(argv[0]);
        int rounds = atoi(argv[5]);
        return showRounds(d, target, &trigger, &hide, rounds < 1 ? 1 : rounds);
    }
    if (strcmp(mode, "expose") == 0 && argc == 4) {
        int rounds = atoi(argv[3]);
        return exposeRounds(d, target, rounds < 1 ? 1 : rounds);
    }
    if (strcmp(mode, "hide") == 0 && argc == 4) {
        Action hide;
        if (!parseAction(argv[3], &hide) || hide.kind == none || hide.kind == chord)
            return usage(argv[0]);
        XSelectInput(d, target, StructureNotifyMask);
        if (!isViewable(d, target))
            return 0;
        if (hide.kind == click) {
            /* Mapping our window may take the focus, and so hide the
             * target, already. */
            awayWindow(d);
            if (!isViewable(d, target))
                return 0;
        }
        hideWindow(d, &hide);
        return waitUnmapped(d, target) ? 0 : 1;
    }
    return usage(argv[0]);
}
