#include "document/meloformatprops.h"

#include <cstddef>

#include "melody/formatcatalogue.h"

void clMeloFormatProps::Init() {
  records_.clear();
  map_.clear();
}

int clMeloFormatProps::AddFormat(int id, int highNote, int lowNote, int longest, int shortest,
                                 int maxEvents, int highTempo, int lowTempo) {
  // The id is a 16-bit field and indexes the map.
  if (id < 0 || id > 32767) return -1;
  records_.push_back(Record{});
  const int index = FormateCount() - 1;
  if (static_cast<int>(map_.size()) <= id) map_.resize(static_cast<size_t>(id) + 1, -1);
  map_[id] = index;
  records_[index].id = id;
  if (SetNoteRange(index, highNote, lowNote) != 1) return -1;
  if (SetLenRange(index, longest, shortest) != 1) return -1;
  if (SetMaxNotes(index, maxEvents) != 1) return -1;
  if (SetBPMRang(index, highTempo, lowTempo) != 1) return -1;
  return 1;
}

namespace {

void addRows(clMeloFormatProps& formats, bool choiceList) {
  for (const formatcatalogue::RangeRow* r : formatcatalogue::RangeRows())
    if ((r->choicePosition >= 0) == choiceList)
      formats.AddFormat(r->checkId, r->highNote, r->lowNote, r->longest, r->shortest, r->maxEvents,
                        r->highTempo, r->lowTempo);
}

}  // namespace

void clMeloFormatProps::RegisterDefaultFormats() {
  addRows(*this, true);
}

void clMeloFormatProps::RegisterFitTargets() {
  addRows(*this, false);
}

int clMeloFormatProps::SetNoteRange(int index, int highest, int lowest) {
  if (!validIndex(index)) return -1;
  if (!(highest > lowest) || highest < 0 || highest > 127 || lowest < 0 || lowest > 127) return -1;
  records_[index].highNote = highest;
  records_[index].lowNote = lowest;
  return 1;
}

int clMeloFormatProps::SetLenRange(int index, int longest, int shortest) {
  if (!validIndex(index)) return -1;
  if (!(longest < shortest) || longest < 1 || longest > 512 || shortest < 1 || shortest > 512)
    return -1;
  records_[index].longest = longest;
  records_[index].shortest = shortest;
  return 1;
}

int clMeloFormatProps::SetMaxNotes(int index, int n) {
  if (!validIndex(index)) return -1;
  if (n < 1 && n != -1) return -1;
  records_[index].maxEvents = n;
  return 1;
}

int clMeloFormatProps::SetBPMRang(int index, int highest, int lowest) {
  if (!validIndex(index)) return -1;
  if (!(highest > lowest) || highest < 1) return -1;
  records_[index].highTempo = highest;
  records_[index].lowTempo = lowest;
  return 1;
}

const clMeloFormatProps::Record* clMeloFormatProps::find(int id) const {
  if (id < 0 || id >= static_cast<int>(map_.size())) return nullptr;
  const int index = map_[id];
  return validIndex(index) ? &records_[index] : nullptr;
}

int clMeloFormatProps::FGetRange1(int id, int& highNote, int& lowNote, int& longest,
                                  int& shortest) const {
  const Record* r = find(id);
  if (!r) return -1;
  highNote = r->highNote;
  lowNote = r->lowNote;
  longest = r->longest;
  shortest = r->shortest;
  return 1;
}

int clMeloFormatProps::FGetRange2(int id, int& maxEvents, int& highTempo) const {
  const Record* r = find(id);
  if (!r) return -1;
  maxEvents = r->maxEvents;
  highTempo = r->highTempo;
  return 1;
}

int clMeloFormatProps::FGetLowTempo(int id, int& lowTempo) const {
  const Record* r = find(id);
  if (!r) return -1;
  lowTempo = r->lowTempo;
  return 1;
}
