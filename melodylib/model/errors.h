// The library's error classes. Each carries the result code the exports return.
#pragma once

#include <stdexcept>
#include <string>

#include "rvresulttexts.h"

namespace rv {

class rt_erri : public std::runtime_error {
 public:
  rt_erri(const std::string& message, int code) : std::runtime_error(message), code_(code) {}
  int code() const { return code_; }

 private:
  int code_;
};

// Each class's message is the one rvresulttexts.h gives its code.
#define RV_ERROR_CLASS(Name, number)                       \
  class Name : public rt_erri {                            \
   public:                                                 \
    Name() : rt_erri(rvresult::message(number), number) {} \
  };

RV_ERROR_CLASS(RVXFileErrSave, RV_CANNOT_OPEN_FILE)
RV_ERROR_CLASS(RVXFileErrRead, RV_CANNOT_READ_FILE)
RV_ERROR_CLASS(RVXFileErrWrite, RV_CANNOT_WRITE_FILE)
RV_ERROR_CLASS(RVXEndofBuffer, RV_ERR_END_OF_BUFFER)
RV_ERROR_CLASS(RVXFileFalseUserFormat, RV_ERR_FALSE_FORMAT)
RV_ERROR_CLASS(RVXMemoryAllocErr, RV_ERR_NO_MEMORY)
RV_ERROR_CLASS(RVXErrErrFormatHead, RV_ERR_FORMAT_HEADER)
RV_ERROR_CLASS(MFBadTrkSig, RV_ERR_MIDI_NO_TRACK)
RV_ERROR_CLASS(MFBadTrkLen, RV_ERR_MIDI_TRACK_LENGTH)
RV_ERROR_CLASS(MFBadTrkData, RV_ERR_MIDI_TRACK_DATA)
RV_ERROR_CLASS(MFNoEot, RV_ERR_MIDI_NO_EOT)
RV_ERROR_CLASS(MFBadMetaEvLen, RV_ERR_MIDI_META_LENGTH)
RV_ERROR_CLASS(MFBadMetaEvVal, RV_ERR_MIDI_META_VALUE)

#undef RV_ERROR_CLASS

}  // namespace rv
