// The target formats and their limits: note range, length range, maximum events, tempo.
#pragma once

#include <vector>

class clMeloFormatProps {
 public:
  // Empties the table.
  void Init();
  int FormateCount() const { return static_cast<int>(records_.size()); }

  // Adds one format and stores its limits; 1 when all limits were stored, -1 when the id
  // is refused (negative or above 32767) or a limit was refused (the record stays, with
  // the limits stored up to the refused one).
  int AddFormat(int id, int highNote, int lowNote, int longest, int shortest, int maxEvents,
                int highTempo, int lowTempo);
  // The range-check rows of the format catalogue: the eight formats of the choice list.
  void RegisterDefaultFormats();
  // The catalogue's rows that are song-fit targets only (a player without limits).
  void RegisterFitTargets();

  // Setters by record index; 1 stored, -1 refused (nothing stored).
  int SetNoteRange(int index, int highest, int lowest);
  int SetLenRange(int index, int longest, int shortest);
  int SetMaxNotes(int index, int n);
  int SetBPMRang(int index, int highest, int lowest);

  // Getters by format id; 1, or -1 for an id that is not registered.
  int FGetRange1(int id, int& highNote, int& lowNote, int& longest, int& shortest) const;
  int FGetRange2(int id, int& maxEvents, int& highTempo) const;
  int FGetLowTempo(int id, int& lowTempo) const;

 private:
  struct Record {
    int id = 0;
    int highNote = 0;
    int lowNote = 0;
    int longest = 0;
    int shortest = 0;
    int highTempo = 0;
    int lowTempo = 0;
    int maxEvents = 0;
  };
  const Record* find(int id) const;
  bool validIndex(int index) const { return index >= 0 && index < FormateCount(); }

  std::vector<Record> records_;
  std::vector<int> map_;  // format id -> record index, -1 for ids never registered
};
