/* Starts a program and prints the milliseconds until the X server maps its
 * first top-level window (the map notification a window manager sees), then
 * ends the program. Usage: map_time PROGRAM [ARG ...] */
#include <X11/Xlib.h>
#include <signal.h>
#include <stdio.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

static double Now(void)
{
    struct timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return (double)now.tv_sec * 1e3 + (double)now.tv_nsec / 1e6;
}

int main(int argc, char **argv)
{
    if (argc < 2) {
        fprintf(stderr, "usage: map_time PROGRAM [ARG ...]\n");
        return 2;
    }
    Display *display = XOpenDisplay(NULL);
    if (display == NULL) {
        fprintf(stderr, "map_time: cannot open display\n");
        return 1;
    }
    XSelectInput(display, DefaultRootWindow(display), SubstructureNotifyMask);
    XSync(display, False);
    const double start = Now();
    const pid_t child = fork();
    if (child == 0) {
        execvp(argv[1], argv + 1);
        _exit(127);
    }
    int status = 0;
    for (;;) {
        XEvent event;
        XNextEvent(display, &event);
        if (event.type == MapNotify && !event.xmap.override_redirect) {
            break;
        }
        if (waitpid(child, &status, WNOHANG) == child) {
            fprintf(stderr, "map_time: %s ended before it mapped a window\n", argv[1]);
            return 1;
        }
    }
    printf("%.2f\n", Now() - start);
    fflush(stdout);
    kill(child, SIGTERM);
    waitpid(child, &status, 0);
    XCloseDisplay(display);
    return 0;
}
