// The layout rules of docs/ARCHITECTURE.md, checked on the source tree: only ui/ folders
// and app/main.cpp include widget or GUI headers, core files and the CLI include no window
// header, the bottom folders include no feature, and the folders include each other in no
// loop. A folder's ui/ subfolder counts as a folder of its own ("settings/ui").
#include <gtest/gtest.h>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QRegularExpression>
#include <QSet>

#include <map>
#include <set>

namespace {

const QString kSource = QStringLiteral(PEALIX_SOURCE_DIR);

struct Include {
  QString file;  // relative to the source tree, e.g. "app/settings/ui/frmoptions.cpp"
  int line;
  QString target;  // as written between the quotes or brackets
  bool angle;
};

struct SourceFile {
  QString path;  // relative to the source tree
  QString node;  // "settings", "settings/ui", "main", "cli"
  QList<Include> includes;
  int lines = 0;
};

// The folder a path below app/ (e.g. "settings/ui/frmoptions.cpp") belongs to.
QString nodeOfAppPath(const QString& rel) {
  const QStringList parts = rel.split(QLatin1Char('/'));
  if (parts.size() == 1) return QStringLiteral("main");
  if (parts.size() > 2 && parts[1] == QLatin1String("ui")) return parts[0] + QStringLiteral("/ui");
  return parts[0];
}

QList<SourceFile> readTree() {
  static const QRegularExpression includeLine(
      QStringLiteral(R"(^\s*#\s*include\s*([<"])([^>"]+)[>"])"));
  QList<SourceFile> files;
  for (const QString& top : {QStringLiteral("app"), QStringLiteral("cli")}) {
    QDirIterator it(kSource + QLatin1Char('/') + top, {"*.h", "*.cpp", "*.c"}, QDir::Files,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
      const QString abs = it.next();
      const QString rel = QDir(kSource).relativeFilePath(abs);
      if (rel.startsWith(QLatin1String("app/tests/"))) continue;
      SourceFile f;
      f.path = rel;
      f.node = top == QLatin1String("cli") ? QStringLiteral("cli") : nodeOfAppPath(rel.mid(4));
      QFile file(abs);
      if (!file.open(QIODevice::ReadOnly)) continue;
      int number = 0;
      while (!file.atEnd()) {
        const QString text = QString::fromUtf8(file.readLine());
        ++number;
        const QRegularExpressionMatch m = includeLine.match(text);
        if (m.hasMatch())
          f.includes.append({rel, number, m.captured(2), m.captured(1) == QLatin1String("<")});
      }
      f.lines = number;
      files.append(f);
    }
  }
  return files;
}

// The folders directly below app/ (document, melody, settings, ...).
QSet<QString> appFolders() {
  QSet<QString> names;
  for (const QString& d :
       QDir(kSource + QStringLiteral("/app")).entryList(QDir::Dirs | QDir::NoDotAndDotDot))
    if (d != QLatin1String("tests") && d != QLatin1String("data")) names.insert(d);
  return names;
}

// The folder a quoted include leads to; empty for a library header ("rvsms.h").
QString nodeOfInclude(const SourceFile& from, const QString& target, const QSet<QString>& folders) {
  if (!target.contains(QLatin1Char('/'))) {
    // Beside the including file: only app files have app neighbours.
    const QFileInfo beside(kSource + QLatin1Char('/') + from.path);
    if (!QFileInfo::exists(beside.absolutePath() + QLatin1Char('/') + target)) return {};
    return from.node;
  }
  const QString first = target.section(QLatin1Char('/'), 0, 0);
  if (!folders.contains(first)) return {};
  return nodeOfAppPath(target);
}

bool isUiNode(const QString& node) {
  return node.endsWith(QLatin1String("/ui"));
}

// Every header of the Qt modules that need a display: QtWidgets and QtGui.
QSet<QString> widgetHeaders() {
  QSet<QString> names;
  const QString root = QLibraryInfo::path(QLibraryInfo::HeadersPath);
  for (const char* module : {"QtWidgets", "QtGui"}) {
    names.insert(QLatin1String(module));
    for (const QString& f :
         QDir(root + QLatin1Char('/') + QLatin1String(module)).entryList(QDir::Files))
      names.insert(f);
  }
  return names;
}

bool isWidgetHeader(const QString& target, const QSet<QString>& widgets) {
  if (target.startsWith(QLatin1String("QtWidgets/")) || target.startsWith(QLatin1String("QtGui/")))
    return true;
  return widgets.contains(target);
}

// One loop of the graph as "a -> b -> a", or empty when there is none.
QString findLoop(const std::map<QString, std::set<QString>>& graph) {
  std::map<QString, int> state;  // 0 unseen, 1 on the path, 2 done
  QStringList path;
  QString loop;
  std::function<bool(const QString&)> visit = [&](const QString& node) {
    state[node] = 1;
    path.append(node);
    const auto edges = graph.find(node);
    if (edges != graph.end()) {
      for (const QString& next : edges->second) {
        if (state[next] == 1) {
          loop = (path.mid(path.indexOf(next)) << next).join(QStringLiteral(" -> "));
          return true;
        }
        if (state[next] == 0 && visit(next)) return true;
      }
    }
    path.removeLast();
    state[node] = 2;
    return false;
  };
  for (const auto& [node, edges] : graph)
    if (state[node] == 0 && visit(node)) return loop;
  return {};
}

class LayoutRulesTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    files_ = new QList<SourceFile>(readTree());
    folders_ = new QSet<QString>(appFolders());
  }
  static void TearDownTestSuite() {
    delete files_;
    delete folders_;
  }
  static std::string where(const Include& inc) {
    return (inc.file + QLatin1Char(':') + QString::number(inc.line) + QStringLiteral(": ") +
            inc.target)
        .toStdString();
  }
  static QList<SourceFile>* files_;
  static QSet<QString>* folders_;
};
QList<SourceFile>* LayoutRulesTest::files_ = nullptr;
QSet<QString>* LayoutRulesTest::folders_ = nullptr;

TEST_F(LayoutRulesTest, TheTreeIsRead) {
  // A wrong source path would make every other rule pass on nothing.
  EXPECT_GT(files_->size(), 100);
  for (const char* folder : {"document", "melody", "phonelink", "settings", "languages"})
    EXPECT_TRUE(folders_->contains(QLatin1String(folder))) << folder;
  const QSet<QString> widgets = widgetHeaders();
  for (const char* header : {"QWidget", "QDialog", "QMessageBox", "QApplication", "QClipboard"})
    EXPECT_TRUE(widgets.contains(QLatin1String(header))) << header;
  EXPECT_FALSE(widgets.contains(QStringLiteral("QString")));
}

TEST_F(LayoutRulesTest, NoWindowFileIsOver400Lines) {
  // A window that grows past this is split into files (or widgets) of their own.
  for (const SourceFile& f : *files_)
    if (isUiNode(f.node) && f.path.endsWith(QLatin1String(".cpp"))) {
      EXPECT_LE(f.lines, 400) << f.path.toStdString();
    }
}

TEST_F(LayoutRulesTest, OnlyWindowFilesIncludeWidgetOrGuiHeaders) {
  const QSet<QString> widgets = widgetHeaders();
  for (const SourceFile& f : *files_) {
    if (isUiNode(f.node) || f.node == QLatin1String("main")) continue;
    for (const Include& inc : f.includes)
      if (inc.angle) {
        EXPECT_FALSE(isWidgetHeader(inc.target, widgets)) << where(inc);
      }
  }
}

TEST_F(LayoutRulesTest, CoreFilesAndTheCliIncludeNoWindowHeader) {
  for (const SourceFile& f : *files_) {
    if (isUiNode(f.node) || f.node == QLatin1String("main")) continue;
    for (const Include& inc : f.includes) {
      if (inc.angle) continue;
      EXPECT_FALSE(isUiNode(nodeOfInclude(f, inc.target, *folders_))) << where(inc);
    }
  }
}

TEST_F(LayoutRulesTest, TheBottomFoldersIncludeNoFeature) {
  // common/ serves everyone; melody/ (the melody and the library bridge) only common/.
  const std::map<QString, QSet<QString>> allowed = {
      {QStringLiteral("common"), {QStringLiteral("common")}},
      {QStringLiteral("melody"), {QStringLiteral("melody"), QStringLiteral("common")}},
  };
  for (const SourceFile& f : *files_) {
    const auto rule = allowed.find(f.node);
    if (rule == allowed.end()) continue;
    for (const Include& inc : f.includes) {
      if (inc.angle) continue;
      const QString to = nodeOfInclude(f, inc.target, *folders_);
      if (!to.isEmpty()) {
        EXPECT_TRUE(rule->second.contains(to)) << where(inc);
      }
    }
  }
}

TEST_F(LayoutRulesTest, FoldersIncludeEachOtherInNoLoop) {
  std::map<QString, std::set<QString>> graph;
  std::map<std::pair<QString, QString>, QString> example;  // an include behind each edge
  for (const SourceFile& f : *files_) {
    graph[f.node];
    for (const Include& inc : f.includes) {
      if (inc.angle) continue;
      const QString to = nodeOfInclude(f, inc.target, *folders_);
      if (to.isEmpty() || to == f.node) continue;
      graph[f.node].insert(to);
      example.emplace(std::make_pair(f.node, to), QString::fromStdString(where(inc)));
    }
  }
  const QString loop = findLoop(graph);
  QString because;
  const QStringList steps = loop.split(QStringLiteral(" -> "));
  for (int i = 0; i + 1 < steps.size(); ++i)
    because += QStringLiteral("\n  ") + example[{steps[i], steps[i + 1]}];
  EXPECT_TRUE(loop.isEmpty()) << loop.toStdString() << because.toStdString();

  // The finder itself sees a loop through three folders and none in a layered graph.
  EXPECT_EQ(findLoop({{"a", {"b"}}, {"b", {"c"}}, {"c", {"a"}}}), "a -> b -> c -> a");
  EXPECT_TRUE(
      findLoop({{"ui", {"core", "melody"}}, {"core", {"melody"}}, {"melody", {}}}).isEmpty());
}

}  // namespace
