// The library's error classes. Each carries the result code the exports return.
#pragma once

#include <stdexcept>
#include <string>

namespace rv {

class rt_erri : public std::runtime_error {
 public:
  rt_erri(const std::string& message, int code) : std::runtime_error(message), code_(code) {}
  int code() const { return code_; }

 private:
  int code_;
};

#define RV_ERROR_CLASS(Name, text, number) \
  class Name : public rt_erri {            \
   public:                                 \
    Name() : rt_erri(text, number) {}      \
  };

RV_ERROR_CLASS(RVXFileErrSave, "could not save file", 51)
RV_ERROR_CLASS(RVXFileErrRead, "could not read from file", 52)
RV_ERROR_CLASS(RVXFileErrWrite, "could not write to file", 53)
RV_ERROR_CLASS(RVXEndofBuffer, "EOF", 58)
RV_ERROR_CLASS(RVXFileFalseUserFormat, "false file format", 59)
RV_ERROR_CLASS(RVXMemoryAllocErr, "Memory allocation error (insufficient memory?)", 60)
RV_ERROR_CLASS(RVXErrErrFormatHead, "false format header", 152)
RV_ERROR_CLASS(MFBadTrkSig, "MTrk not found in track header", 1010)
RV_ERROR_CLASS(MFBadTrkLen, "invalid track length", 1011)
RV_ERROR_CLASS(MFBadTrkData, "track data length error", 1012)
RV_ERROR_CLASS(MFNoEot, "no EOT event in track", 1013)
RV_ERROR_CLASS(MFBadMetaEvLen, "invalid meta event length", 1014)
RV_ERROR_CLASS(MFBadMetaEvVal, "invalid meta event value", 1015)

#undef RV_ERROR_CLASS

}  // namespace rv
