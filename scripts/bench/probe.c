/* Measures how long a program takes from a trigger to its window being
 * mapped and then painted, over a number of rounds.
 *
 *   probe WINDOW chord ROUNDS   the trigger is the Alt + right-click chord
 *   probe WINDOW PID ROUNDS     the trigger is SIGUSR1 to PID (it toggles)
 *
 * WINDOW is the program's top-level window. "Painted" is the first damage
 * the X server reports on it after it was mapped. The time is taken right
 * after the right-button press (or the signal) leaves this process. The
 * window is hidden again between rounds: for the chord by clicking a window
 * of this probe, for the signal by a second signal. Prints one line:
 *   mapped <median> <worst> painted <median> <worst>   (milliseconds)
 */
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/extensions/Xdamage.h>
#include <X11/keysym.h>

#include <poll.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>
#include <unistd.h>

static double now(void)
{
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec * 1000.0 + t.tv_nsec / 1e6;
}

/* Next event, or 0 after timeoutMs. */
static int nextEvent(Display *d, XEvent *event, int timeoutMs)
{
    double end = now() + timeoutMs;
    while (!XPending(d)) {
        struct pollfd p = {ConnectionNumber(d), POLLIN, 0};
        int left = (int)(end - now());
        if (left <= 0 || poll(&p, 1, left) <= 0)
            return 0;
    }
    XNextEvent(d, event);
    return 1;
}

static int compare(const void *a, const void *b)
{
    double x = *(const double *)a, y = *(const double *)b;
    return x < y ? -1 : x > y;
}

static void summary(double *values, int n, double *median, double *worst)
{
    qsort(values, n, sizeof *values, compare);
    *median = n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
    *worst = values[n - 1];
}

int main(int argc, char **argv)
{
    if (argc != 4) {
        fprintf(stderr, "usage: %s WINDOW chord|PID ROUNDS\n", argv[0]);
        return 2;
    }
    Display *d = XOpenDisplay(NULL);
    if (!d) {
        fprintf(stderr, "probe: no display\n");
        return 1;
    }
    Window target = strtoul(argv[1], NULL, 0);
    int chord = strcmp(argv[2], "chord") == 0;
    pid_t pid = chord ? 0 : (pid_t)atol(argv[2]);
    int rounds = atoi(argv[3]);
    if (rounds < 1)
        rounds = 1;
    int damageEvent, damageError;
    if (!XDamageQueryExtension(d, &damageEvent, &damageError)) {
        fprintf(stderr, "probe: no DAMAGE extension\n");
        return 1;
    }
    Window root = DefaultRootWindow(d);
    XSelectInput(d, target, StructureNotifyMask);
    Damage damage = XDamageCreate(d, target, XDamageReportNonEmpty);

    /* A window of our own to click, so that the panel loses the focus. */
    Window away = XCreateSimpleWindow(d, root, 900, 700, 300, 250, 0, 0, 0xffffff);
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
    while (nextEvent(d, &event, 5000) && !(event.type == MapNotify && event.xmap.window == away))
        ;
    usleep(300000);

    KeyCode alt = XKeysymToKeycode(d, XK_Alt_L);
    double *mapped = calloc(rounds, sizeof *mapped);
    double *painted = calloc(rounds, sizeof *painted);
    srand(getpid());
    for (int i = 0; i < rounds; ++i) {
        /* Land at a random point of the 10 ms polling cycle. */
        usleep(100000 + rand() % 50000);
        XTestFakeMotionEvent(d, -1, 200 + (i % 10) * 20, 200 + (i % 7) * 20, 0);
        XSync(d, False);
        while (XPending(d))
            XNextEvent(d, &event);
        XDamageSubtract(d, damage, None, None);
        XSync(d, False);
        while (XPending(d))
            XNextEvent(d, &event);

        double start;
        if (chord) {
            XTestFakeKeyEvent(d, alt, True, 0);
            XFlush(d);
            usleep(20000);
            XTestFakeButtonEvent(d, 3, True, 0);
            XFlush(d);
            start = now();
        } else {
            start = now();
            kill(pid, SIGUSR1);
        }
        double mapAt = -1, paintAt = -1;
        while (paintAt < 0 && nextEvent(d, &event, 5000)) {
            if (event.type == MapNotify && event.xmap.window == target)
                mapAt = now();
            else if (event.type == damageEvent + XDamageNotify && mapAt >= 0)
                paintAt = now();
        }
        if (paintAt < 0) {
            fprintf(stderr, "probe: round %d: the window was not %s within 5 s\n", i + 1,
                    mapAt < 0 ? "mapped" : "painted");
            return 1;
        }
        mapped[i] = mapAt - start;
        painted[i] = paintAt - start;

        if (chord) {
            XTestFakeButtonEvent(d, 3, False, 0);
            XTestFakeKeyEvent(d, alt, False, 0);
            XTestFakeMotionEvent(d, -1, 1050, 825, 0);
            XTestFakeButtonEvent(d, 1, True, 0);
            XTestFakeButtonEvent(d, 1, False, 0);
            XFlush(d);
        } else {
            kill(pid, SIGUSR1);
        }
        while (nextEvent(d, &event, 5000) && !(event.type == UnmapNotify && event.xunmap.window == target))
            ;
    }
    double mapMedian, mapWorst, paintMedian, paintWorst;
    summary(mapped, rounds, &mapMedian, &mapWorst);
    summary(painted, rounds, &paintMedian, &paintWorst);
    printf("mapped %.1f %.1f painted %.1f %.1f\n", mapMedian, mapWorst, paintMedian, paintWorst);
    return 0;
}
