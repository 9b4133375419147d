// Loads one of the application's libraries by file name from the application directory,
// the first time it is needed, and binds its exports. A missing library or export is an
// error text the caller can show, not a crash.
#pragma once

#include <QLibrary>
#include <QString>

#include <type_traits>

class LibraryBinding {
 public:
  // True when the library and all exports are bound; otherwise errorText() says why.
  bool load();
  bool loaded() const { return loaded_; }
  QString errorText() const { return error_; }
  // The folder the library is loaded from; defaults to the application directory.
  void setDirectory(const QString& dir) { directory_ = dir; }

 protected:
  // fileName e.g. "librvsms.so"; description e.g. "SMS library" for the error texts.
  LibraryBinding(const char* fileName, const char* description)
      : fileName_(fileName), description_(description) {}
  virtual ~LibraryBinding() = default;

  // Binds every export with bind().
  virtual void bindExports() = 0;

  template <typename Fn>
  void bind(Fn& fn, const char* name) {
    fn = reinterpret_cast<Fn>(library_.resolve(name));
    if (!fn) missingExport(name);
  }

 private:
  void missingExport(const char* name);

  QLibrary library_;
  const char* fileName_;
  const char* description_;
  QString directory_;
  QString error_;
  bool tried_ = false;
  bool loaded_ = false;
};
