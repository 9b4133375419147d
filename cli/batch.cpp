#include "batch.h"

#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QString>
#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <climits>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <set>
#include <thread>

#include "files/filetables.h"

namespace cli {
namespace {

namespace fs = std::filesystem;

// The reader's limit: a longer line would be cut, so it is refused instead.
constexpr size_t kMaxLine = 65536;
constexpr size_t kMaxStem = 200;
constexpr int kMaxWorkers = 64;

struct Job {
  std::string path;  // the input file
  int line = 0;      // collection files: 1-based line number
  std::string text;  // collection files: the tune
  const CliFormat* format = nullptr;
  std::string output;  // file name in the output folder
  std::string error;   // set before the run: the input failed already
  std::string note;    // written, but the format's size limit left notes out
  bool ok = false;
};

// Set when the batch is interrupted: workers take no new input.
std::atomic<bool> gStopping{false};

bool writeAll(int fd, const std::string& bytes) {
  const char* p = bytes.data();
  size_t left = bytes.size();
  while (left > 0) {
    const ssize_t n = ::write(fd, p, left);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    p += n;
    left -= static_cast<size_t>(n);
  }
  return true;
}

// Writes DIR/name through a temporary file in DIR (".name.PID-SLOT-N.tmp", created new
// with the permissions the umask gives) that is renamed into place once it is complete;
// on any failure the temporary file is removed and the reason returned.
bool writeAtomically(const std::string& dir, const std::string& name, const std::string& bytes,
                     int slot, std::string& error) {
  const std::string target = dir + "/" + name;
  const std::string prefix =
      dir + "/." + name + "." + std::to_string(::getpid()) + "-" + std::to_string(slot) + "-";
  if (prefix.size() + 16 >= PATH_MAX) {
    error = "cannot write " + target + ": the path is too long";
    return false;
  }
  std::string temp;
  int fd = -1;
  for (int attempt = 0; fd < 0 && attempt < 100; ++attempt) {
    temp = prefix + std::to_string(attempt) + ".tmp";
    fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && errno != EEXIST) break;
  }
  if (fd < 0) {
    error = "cannot write " + target + ": " + std::strerror(errno);
    return false;
  }
  bool ok = writeAll(fd, bytes);
  int saved = errno;
  if (::close(fd) != 0 && ok) {
    ok = false;
    saved = errno;
  }
  if (ok && ::rename(temp.c_str(), target.c_str()) != 0) {
    ok = false;
    saved = errno;
  }
  if (!ok) ::unlink(temp.c_str());
  if (!ok) error = "cannot write " + target + ": " + std::strerror(saved);
  return ok;
}

// The extension of the output files: the save dialog's for the format (".ott" for binary
// Nokia ringtones), ".txt" for formats it does not offer.
std::string outputExtension(const CliFormat& format, const std::vector<int32_t>& options) {
  if (format.row->binaryExtension && options.size() >= 2 && options[1] != 1)
    return format.row->binaryExtension;
  if (isAppFormat(format)) return ".txt";
  const filetables::SaveFilter* f = filetables::SaveFilterForFormat(format.id);
  return f ? f->extension.toStdString() : ".txt";
}

// Cuts a UTF-8 text to at most n bytes without splitting a character.
std::string utf8Cut(const std::string& s, size_t n) {
  if (s.size() <= n) return s;
  while (n > 0 && (static_cast<unsigned char>(s[n]) & 0xC0) == 0x80) --n;
  return s.substr(0, n);
}

// The first free name among base, base-2, base-3 ...
std::string uniqueName(const std::string& base, const std::string& extension,
                       std::set<std::string>& used) {
  std::string name = base + extension;
  for (int n = 2; used.count(name); ++n) name = base + "-" + std::to_string(n) + extension;
  used.insert(name);
  return name;
}

void drawProgress(size_t done, size_t total) {
  constexpr int kWidth = 30;
  const int filled = total ? static_cast<int>(done * kWidth / total) : kWidth;
  std::string bar = "\r[" + std::string(filled, '#') + std::string(kWidth - filled, '.') + "] " +
                    std::to_string(done) + "/" + std::to_string(total);
  std::cerr << bar << std::flush;
}

// Files of the inputs: a folder gives the files below it whose extensions are readable,
// sorted by path; a file is taken as it is.
void collectFiles(const std::vector<std::string>& inputs, std::vector<Job>& jobs) {
  for (const std::string& input : inputs) {
    std::error_code ec;
    const fs::file_status status = fs::status(input, ec);
    if (ec || !fs::exists(status)) {
      Job j;
      j.path = input;
      j.error = "no such file or folder";
      jobs.push_back(j);
      continue;
    }
    if (!fs::is_directory(status)) {
      Job j;
      j.path = input;
      jobs.push_back(j);
      continue;
    }
    std::vector<std::string> found;
    fs::recursive_directory_iterator it(input, fs::directory_options::skip_permission_denied, ec);
    for (; !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
      std::error_code fileEc;
      if (!it->is_regular_file(fileEc)) continue;
      if (formatForRead(it->path().string())) found.push_back(it->path().string());
    }
    if (ec) {
      Job j;
      j.path = input;
      j.error = "cannot walk the folder: " + ec.message();
      jobs.push_back(j);
    }
    std::sort(found.begin(), found.end());
    for (const std::string& f : found) {
      Job j;
      j.path = f;
      jobs.push_back(j);
    }
  }
}

// One job per non-empty line of a collection file.
void splitLines(const Job& file, std::vector<Job>& out) {
  std::ifstream in(file.path, std::ios::binary);
  if (!in) {
    Job j = file;
    j.error = std::string("cannot open the file: ") + std::strerror(errno);
    out.push_back(j);
    return;
  }
  std::string line;
  int number = 0;
  while (std::getline(in, line)) {
    ++number;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.find_first_not_of(" \t") == std::string::npos) continue;
    Job j;
    j.path = file.path;
    j.line = number;
    if (line.size() > kMaxLine)
      j.error = "the line is " + std::to_string(line.size()) + " characters long (at most " +
                std::to_string(kMaxLine) + ")";
    else if (line.find('\0') != std::string::npos)
      j.error = "the line holds binary data";
    else
      j.text = std::move(line);
    out.push_back(std::move(j));
    line.clear();
  }
  if (in.bad()) {
    Job j = file;
    j.error = std::string("cannot read the file: ") + std::strerror(errno);
    out.push_back(j);
  }
}

void convertOne(Job& job, const BatchSettings& s, int slot) {
  Document doc;
  if (job.line > 0) {
    if (!readRtttlText(job.text, doc, job.error)) return;
  } else if (s.song.melody && job.format->id == RV_FORMAT_MIDI) {
    if (!readSongMelody(job.path, s.song, doc, job.error, nullptr)) return;
  } else if (!readInput(job.path, *job.format, s.channel, s.delimiter, doc, &job.error)) {
    return;
  }
  std::string bytes;
  if (!renderMelody(doc, *s.to, s.options, bytes, job.error)) return;
  job.note = notesLeftOut(doc, *s.to, s.options, bytes);
  job.ok = writeAtomically(s.outDir, job.output, bytes, slot, job.error);
}

}  // namespace

std::string safeFileName(const std::string& name) {
  const QString in = QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
  QString out;
  bool gap = false;
  for (const QChar c : in) {
    if (c.isLetterOrNumber() || c == QLatin1Char('-') || c == QLatin1Char('_')) {
      if (gap && !out.isEmpty()) out += QLatin1Char('_');
      gap = false;
      out += c;
    } else {
      gap = true;
    }
  }
  while (!out.isEmpty() && (out.endsWith(QLatin1Char('-')) || out.endsWith(QLatin1Char('_'))))
    out.chop(1);
  while (!out.isEmpty() && (out.startsWith(QLatin1Char('-')) || out.startsWith(QLatin1Char('_'))))
    out.remove(0, 1);
  return utf8Cut(out.left(80).toStdString(), 80);
}

int runBatch(const BatchSettings& s, const std::vector<std::string>& inputs) {
  // A missing output folder is made, with its parents, as mkdir -p would.
  std::error_code made;
  fs::create_directories(s.outDir, made);
  if (made || !fs::is_directory(s.outDir)) {
    std::cerr << "pealix-cli convert: cannot create the folder " << s.outDir << ": "
              << (made ? made.message() : std::string("a file of that name is in the way")) << "\n";
    return 1;
  }
  std::vector<Job> files;
  collectFiles(inputs, files);

  // Jobs in input order, each with its output name; inputs that failed already keep
  // their reason.
  std::vector<Job> jobs;
  for (Job& f : files) {
    if (!f.error.empty() || !s.eachLine) {
      jobs.push_back(std::move(f));
      continue;
    }
    splitLines(f, jobs);
  }
  const std::string extension = outputExtension(*s.to, s.options);
  std::set<std::string> used;
  for (Job& j : jobs) {
    if (!j.error.empty()) continue;
    std::string base;
    if (j.line > 0) {
      base = safeFileName(j.text.substr(0, j.text.find(':')));
      if (base.empty()) base = "line-" + std::to_string(j.line);
    } else {
      j.format = s.from ? s.from : formatForRead(j.path);
      if (!j.format) {
        j.error = "cannot tell the format; name it with --from";
        continue;
      }
      base = utf8Cut(fs::path(j.path).stem().string(), kMaxStem);
      if (base.empty() || base == "." || base == "..") base = "melody";
    }
    j.output = uniqueName(base, extension, used);
  }

  size_t pending = 0;
  for (const Job& j : jobs) pending += j.error.empty() ? 1 : 0;
  const int cores = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
  const int workers = std::clamp(s.jobs > 0 ? s.jobs : cores, 1,
                                 std::min<int>(kMaxWorkers, std::max<size_t>(pending, 1)));

  // Interrupting signals are taken by this thread only, between files: the workers finish
  // the file they are writing (or remove its temporary file) and stop, then the signal
  // ends the program as it would have.
  sigset_t stopSignals, previousMask;
  sigemptyset(&stopSignals);
  for (int sig : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&stopSignals, sig);
  pthread_sigmask(SIG_BLOCK, &stopSignals, &previousMask);
  std::atomic<size_t> next{0}, done{0};
  std::vector<std::thread> threads;
  for (int w = 0; w < workers; ++w)
    threads.emplace_back([&, w] {
      for (size_t i = next++; i < jobs.size() && !gStopping; i = next++) {
        if (jobs[i].error.empty()) convertOne(jobs[i], s, w);
        ++done;
      }
    });
  const bool bar = s.progress && ::isatty(STDERR_FILENO);
  int caught = 0;
  for (int tick = 0; done.load() < jobs.size(); ++tick) {
    if (bar && tick % 10 == 0) drawProgress(done.load(), jobs.size());
    const timespec wait{0, 10 * 1000 * 1000};
    const int sig = sigtimedwait(&stopSignals, nullptr, &wait);
    if (sig > 0) {
      caught = sig;
      gStopping = true;
      break;
    }
  }
  for (std::thread& t : threads) t.join();
  if (caught) {
    if (bar) std::cerr << "\n";
    std::cerr << "pealix-cli convert: interrupted after " << done.load() << " of " << jobs.size()
              << " inputs\n";
    std::signal(caught, SIG_DFL);
    pthread_sigmask(SIG_SETMASK, &previousMask, nullptr);
    std::raise(caught);
  }
  pthread_sigmask(SIG_SETMASK, &previousMask, nullptr);
  if (bar) {
    drawProgress(jobs.size(), jobs.size());
    std::cerr << "\n";
  }

  size_t converted = 0, failed = 0;
  for (const Job& j : jobs) {
    if (j.ok) {
      ++converted;
      if (!j.note.empty())
        std::cerr << "pealix-cli convert: note: " << j.output << " " << j.note << ": the "
                  << s.to->name << " size limit left the rest out\n";
      continue;
    }
    ++failed;
    std::cerr << "pealix-cli convert: " << j.path;
    if (j.line > 0) std::cerr << ":" << j.line;
    std::cerr << ": " << j.error << "\n";
  }
  std::cout << "converted " << converted << ", failed " << failed << " (" << s.to->name << " into "
            << s.outDir << ")\n";
  return failed ? 1 : 0;
}

}  // namespace cli
