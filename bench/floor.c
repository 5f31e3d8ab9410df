/* The least work a tree run of the tool cannot avoid, as a yardstick for the
 * benchmark: a breadth-first walk with one readdir pass per directory, and for
 * each entry one lstat and one lgetxattr of user.DOSATTRIB.
 *
 *   floor list ROOT OUTFILE     one formatted line per entry into a buffered
 *                               file, with a heading and a count per directory
 *   floor change +X|-X ROOT     sets or clears the bits X (letters of R, H, S,
 *                               A) in user.DOSATTRIB with one setxattr for each
 *                               entry that needs it; nothing is written out
 *
 * Exit code 0 after a complete walk, 1 after any failure (reported on stderr).
 * The queue of directories is held in memory: this program measures time, not
 * memory. */
#define _GNU_SOURCE
#include <dirent.h>
#include <errno.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/xattr.h>

#define ATTR_NAME "user.DOSATTRIB"
enum { kReadOnly = 1, kHidden = 2, kSystem = 4, kDirectory = 16, kArchive = 32 };

struct queue {
  char** paths;
  size_t head, tail, size;
};

static int push(struct queue* q, const char* path) {
  if (q->tail == q->size) {
    size_t size = q->size ? 2 * q->size : 1024;
    char** paths = realloc(q->paths, size * sizeof *paths);
    if (!paths) return -1;
    q->paths = paths;
    q->size = size;
  }
  q->paths[q->tail] = strdup(path);
  return q->paths[q->tail++] ? 0 : -1;
}

/* The stored word: the text form "0x.." the tool writes; a missing or other
 * value counts as no bits. */
static unsigned stored_bits(const char* path) {
  char value[256];
  ssize_t n = lgetxattr(path, ATTR_NAME, value, sizeof value - 1);
  if (n <= 2) return 0;
  value[n] = '\0';
  if (value[0] != '0' || (value[1] != 'x' && value[1] != 'X')) return 0;
  return (unsigned)strtoul(value + 2, NULL, 16) & (kReadOnly | kHidden | kSystem | kArchive);
}

static unsigned entry_word(const char* path, const struct stat* st) {
  unsigned word = stored_bits(path);
  if (S_ISDIR(st->st_mode)) word |= kDirectory;
  if (S_ISREG(st->st_mode) && !(st->st_mode & 0222)) word |= kReadOnly;
  return word;
}

static void field(unsigned word, char out[9]) {
  memcpy(out, " [     ]", 9);
  if (word & kDirectory) out[2] = 'D';
  if (word & kArchive) out[3] = 'A';
  if (word & kReadOnly) out[4] = 'R';
  if (word & kHidden) out[5] = 'H';
  if (word & kSystem) out[6] = 'S';
}

struct job {
  FILE* out;     /* list: the report; change: NULL */
  int set;       /* change: 1 sets the bits, 0 clears them */
  unsigned bits; /* change: the bits to set or clear */
};

static int visit(const struct job* job, const char* path, const char* name, const struct stat* st,
                 unsigned* found) {
  unsigned word = entry_word(path, st);
  ++*found;
  if (job->out) {
    char f[9];
    field(word, f);
    return fprintf(job->out, "%s    %s\r\n", f, name) < 0 ? -1 : 0;
  }
  unsigned stored = word & ~(unsigned)kDirectory;
  unsigned wanted = job->set ? (stored | job->bits) : (stored & ~job->bits);
  if (wanted == stored) return 0;
  char text[16];
  int len = snprintf(text, sizeof text, "0x%x", wanted);
  if (lsetxattr(path, ATTR_NAME, text, (size_t)len, 0) != 0) {
    fprintf(stderr, "floor: setxattr %s: %s\n", path, strerror(errno));
    return -1;
  }
  return 0;
}

/* One readdir pass over dir: every entry visited, every subdirectory queued. */
static int walk_dir(const struct job* job, const char* dir, struct queue* q) {
  DIR* d = opendir(dir);
  if (!d) {
    fprintf(stderr, "floor: opendir %s: %s\n", dir, strerror(errno));
    return -1;
  }
  char path[4096];
  unsigned found = 0;
  int rc = 0;
  struct dirent* e;
  while (rc == 0 && (e = readdir(d)) != NULL) {
    if (strcmp(e->d_name, ".") == 0 || strcmp(e->d_name, "..") == 0) continue;
    if (snprintf(path, sizeof path, "%s/%s", dir, e->d_name) >= (int)sizeof path) continue;
    struct stat st;
    if (lstat(path, &st) != 0) continue;
    if (found == 0 && job->out && fprintf(job->out, "Attributi  ---  Nomi dei files (%s/*.*)\r\n", dir) < 0)
      rc = -1;
    if (rc == 0) rc = visit(job, path, e->d_name, &st, &found);
    if (rc == 0 && S_ISDIR(st.st_mode)) rc = push(q, path);
  }
  closedir(d);
  if (rc == 0 && found && job->out && fprintf(job->out, "*** File trovati: %u\r\n", found) < 0) rc = -1;
  return rc;
}

static int walk(const struct job* job, const char* root) {
  struct queue q = {0};
  int rc = push(&q, root);
  while (rc == 0 && q.head < q.tail) {
    char* dir = q.paths[q.head++];
    rc = walk_dir(job, dir, &q);
    free(dir);
  }
  while (q.head < q.tail) free(q.paths[q.head++]);
  free(q.paths);
  return rc;
}

static int parse_bits(const char* arg, struct job* job) {
  if (arg[0] != '+' && arg[0] != '-') return -1;
  job->set = arg[0] == '+';
  for (const char* c = arg + 1; *c; ++c) {
    switch (*c) {
      case 'R':
        job->bits |= kReadOnly;
        break;
      case 'H':
        job->bits |= kHidden;
        break;
      case 'S':
        job->bits |= kSystem;
        break;
      case 'A':
        job->bits |= kArchive;
        break;
      default:
        return -1;
    }
  }
  return job->bits ? 0 : -1;
}

int main(int argc, char** argv) {
  struct job job = {0};
  if (argc == 4 && strcmp(argv[1], "list") == 0) {
    job.out = fopen(argv[3], "w");
    if (!job.out) {
      fprintf(stderr, "floor: %s: %s\n", argv[3], strerror(errno));
      return 1;
    }
    static char buffer[1 << 16];
    setvbuf(job.out, buffer, _IOFBF, sizeof buffer);
    int rc = walk(&job, argv[2]);
    if (fclose(job.out) != 0) rc = -1;
    return rc == 0 ? 0 : 1;
  }
  if (argc == 4 && strcmp(argv[1], "change") == 0 && parse_bits(argv[2], &job) == 0)
    return walk(&job, argv[3]) == 0 ? 0 : 1;
  fputs("usage: floor list ROOT OUTFILE | floor change +X|-X ROOT\n", stderr);
  return 2;
}
