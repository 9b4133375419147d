// The commands of pealix-cli. Each takes the arguments after its name and returns the
// process exit status: 0 done, 1 failed, 2 wrong usage.
#pragma once

namespace cli {

struct Command {
  const char* name;
  const char* summary;
  int (*run)(int argc, char** argv);  // argv[0] is the command's name
  void (*help)();
};

int runConvert(int argc, char** argv);
void helpConvert();
int runInfo(int argc, char** argv);
void helpInfo();
int runFormats(int argc, char** argv);
void helpFormats();
int runTransform(int argc, char** argv);
void helpTransform();
int runPdu(int argc, char** argv);
void helpPdu();
int runDevices(int argc, char** argv);
void helpDevices();
int runPlay(int argc, char** argv);
void helpPlay();
int runRender(int argc, char** argv);
void helpRender();
int runPorts(int argc, char** argv);
void helpPorts();
int runSend(int argc, char** argv);
void helpSend();

}  // namespace cli
