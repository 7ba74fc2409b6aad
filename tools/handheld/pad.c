/* The handheld's d-pad and buttons for the emulated boards, which have none:
 * a gamepad made through uinput, pressed from the host over a serial line.
 * Each line read from PORT is a joystick button number as SDL counts them;
 * the button goes down and up. Started before the program, since SDL looks
 * for joysticks only when it starts.
 *
 *   pad PORT */
#define _DEFAULT_SOURCE /* cfmakeraw */
#include <fcntl.h>
#include <linux/uinput.h>
#include <stdio.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

/* SDL numbers a device's buttons by key code from BTN_JOYSTICK up, then
 * from BTN_MISC up: in this order the pad's button N is SDL's button N. */
static const int kButtons[] = {
    BTN_TRIGGER, BTN_THUMB, BTN_THUMB2,  BTN_TOP,   BTN_TOP2,  BTN_PINKIE, BTN_BASE,
    BTN_BASE2,   BTN_BASE3, BTN_BASE4,   BTN_BASE5, BTN_BASE6, BTN_A,      BTN_B,
    BTN_X,       BTN_Y,     BTN_DPAD_UP, BTN_0,     BTN_1,     BTN_2,
};
enum
{
    kCount = sizeof(kButtons) / sizeof(kButtons[0])
};

static void Fail(const char* what)
{
    perror(what);
    exit(1);
}

static void Emit(int fd, int type, int code, int value)
{
    struct input_event e = {.type = (__u16)type, .code = (__u16)code, .value = value};
    if (write(fd, &e, sizeof(e)) != sizeof(e))
        Fail("pad: write /dev/uinput");
}

int main(int argc, char** argv)
{
    if (argc != 2)
    {
        fprintf(stderr, "usage: pad PORT\n");
        return 2;
    }
    int pad = open("/dev/uinput", O_WRONLY);
    if (pad < 0)
        Fail("pad: /dev/uinput");
    /* Two axes as well: SDL takes an event device for a joystick only with them. */
    struct uinput_user_dev dev = {0};
    snprintf(dev.name, sizeof(dev.name), "handheld pad");
    dev.id.bustype = BUS_VIRTUAL;
    ioctl(pad, UI_SET_EVBIT, EV_KEY);
    ioctl(pad, UI_SET_EVBIT, EV_ABS);
    for (int i = 0; i < kCount; ++i)
        ioctl(pad, UI_SET_KEYBIT, kButtons[i]);
    for (int axis = ABS_X; axis <= ABS_Y; ++axis)
    {
        ioctl(pad, UI_SET_ABSBIT, axis);
        dev.absmin[axis] = -32767;
        dev.absmax[axis] = 32767;
    }
    if (write(pad, &dev, sizeof(dev)) != sizeof(dev) || ioctl(pad, UI_DEV_CREATE) != 0)
        Fail("pad: creating the device");

    FILE* port = fopen(argv[1], "r");
    struct termios raw;
    if (!port || tcgetattr(fileno(port), &raw) != 0)
        Fail(argv[1]);
    cfmakeraw(&raw);
    tcsetattr(fileno(port), TCSANOW, &raw);
    char line[32];
    while (fgets(line, sizeof(line), port))
    {
        const int n = atoi(line);
        if (line[0] < '0' || line[0] > '9' || n >= kCount)
        {
            fprintf(stderr, "pad: no button %s", line);
            continue;
        }
        for (int down = 1; down >= 0; --down)
        {
            Emit(pad, EV_KEY, kButtons[n], down);
            Emit(pad, EV_SYN, SYN_REPORT, 0);
        }
    }
    return 0;
}
