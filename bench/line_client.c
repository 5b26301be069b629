/* The least a client can do: open the port raw at 115200 bit/s, write each
   query, read its reply line. The lower bound the command object is measured
   against. Usage: line_client PORT NAME[?INDEX]... */
#include <fcntl.h>
#include <stdio.h>
#include <string.h>
#include <termios.h>
#include <unistd.h>

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  int fd = open(argv[1], O_RDWR | O_NOCTTY);
  if (fd < 0) return 1;
  struct termios tio;
  tcgetattr(fd, &tio);
  cfmakeraw(&tio);
  cfsetspeed(&tio, B115200);
  tio.c_cc[VMIN] = 1;
  tio.c_cc[VTIME] = 0;
  tcsetattr(fd, TCSANOW, &tio);
  for (int i = 2; i < argc; ++i) {
    char line[64];
    const char* q = strchr(argv[i], '?');
    size_t nameLen = q ? (size_t)(q - argv[i]) : strlen(argv[i]);
    int n = snprintf(line, sizeof line, q ? "%s\r\n" : "%s?\r\n", argv[i]);
    if (write(fd, line, (size_t)n) != n) return 1;
    char reply[2048];
    size_t k = 0;
    for (;;) {
      if (read(fd, reply + k, 1) != 1) return 1;
      if (reply[k] == '\n') break;
      if (++k == sizeof reply) return 1;
    }
    if (k < nameLen + 1 || memcmp(reply, argv[i], nameLen) != 0 || reply[nameLen] != '=') {
      fprintf(stderr, "bad reply to %s\n", argv[i]);
      return 1;
    }
  }
  return 0;
}
