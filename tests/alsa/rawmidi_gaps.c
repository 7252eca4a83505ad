/* Reads a raw MIDI device as a MIDI interface would and prints, one a line, the milliseconds
 * between the first bytes (F0) of consecutive SysEx messages as they arrived, until COUNT
 * messages came or nothing came for 10 s (exit 1 then).
 * Usage: rawmidi_gaps DEVICE COUNT (DEVICE: hw:0,3) */
#include <alsa/asoundlib.h>
#include <poll.h>
#include <stdio.h>
#include <stdlib.h>
#include <time.h>

static double now_ms(void) {
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

int main(int argc, char** argv) {
    if (argc != 3) return 2;
    const int count = atoi(argv[2]);
    snd_rawmidi_t* in = NULL;
    if (snd_rawmidi_open(&in, NULL, argv[1], SND_RAWMIDI_NONBLOCK) < 0) return 2;
    struct pollfd fds[4];
    const int nfds = snd_rawmidi_poll_descriptors(in, fds, 4);
    /* Once through every call the loop makes before anything comes: on an emulated machine the
     * first run of code costs milliseconds, which would shorten the first gap measured. */
    unsigned char buffer[4096];
    poll(fds, nfds, 0);
    snd_rawmidi_read(in, buffer, sizeof buffer);
    double last = now_ms();
    int seen = 0;
    while (seen < count) {
        if (poll(fds, nfds, 10000) <= 0) return 1;
        const ssize_t got = snd_rawmidi_read(in, buffer, sizeof buffer);
        const double at = now_ms();
        for (ssize_t i = 0; i < got; ++i) {
            if (buffer[i] != 0xF0) continue;
            if (seen++ > 0) printf("%.1f\n", at - last);
            last = at;
        }
    }
    fflush(stdout);
    snd_rawmidi_close(in);
    return 0;
}
