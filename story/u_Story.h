#pragma once
// The book's reading order: the story tree read from "\Story.xml" of the
// system volume, and the reader's position in it.

#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>

#include "storage/u_MFS.h"
#include "text/u_SpaceXMLParser.h"

namespace vv {

// A folder path of the reading order longer than this fails the load.
constexpr int MaxStoryPathLength = 4096;

class EStoryError : public Exception {
  using Exception::Exception;
};

// The parsed tree and its walks. Items are the nodes below the root; all
// walks are iterative, so any nesting depth is safe. The tree must not be
// changed after loading: the page index is built once.
class TStoryLine {
public:
  // Parses "\Story.xml" of Volume and resolves the page paths.
  explicit TStoryLine(TMFS& Volume);
  // The same from the file's bytes.
  explicit TStoryLine(std::string_view StoryXml);

  [[nodiscard]] TXMLNode* FirstItem() const;
  [[nodiscard]] TXMLNode* LastItem() const;
  [[nodiscard]] TXMLNode* NextItem(const TXMLNode* Item) const;
  [[nodiscard]] TXMLNode* PriorItem(const TXMLNode* Item) const;

  [[nodiscard]] TXMLNode* FirstPage() const;
  [[nodiscard]] TXMLNode* LastPage() const;
  [[nodiscard]] TXMLNode* NextPage(const TXMLNode* Item) const;
  [[nodiscard]] TXMLNode* PriorPage(const TXMLNode* Item) const;
  // First page of the next / previous chapter at Level (1 = top level).
  [[nodiscard]] TXMLNode* NextChapter(const TXMLNode* Item, int Level) const;
  [[nodiscard]] TXMLNode* PriorChapter(const TXMLNode* Item, int Level) const;
  // The first item, in reading order, whose page equals Page without regard to case.
  [[nodiscard]] TXMLNode* FindByPage(std::string_view Page) const;

  [[nodiscard]] static std::string PageOf(const TXMLNode* Item);
  [[nodiscard]] static bool IsPage(const TXMLNode* Item) { return !PageOf(Item).empty(); }

  const std::unique_ptr<TXMLParser> Parser;

private:
  void Load(std::string_view StoryXml);
  void ResolvePaths();
  void IndexPages();
  [[nodiscard]] TXMLNode* FirstPageFrom(TXMLNode* Item) const;
  [[nodiscard]] TXMLNode* PriorPageFrom(TXMLNode* Item) const;

  // Folded page -> first item with that page.
  std::unordered_map<std::string, TXMLNode*> PageIndex;
};

class TStory {
public:
  // StoryName is the Story setting of System.xml; the file read is always "\Story.xml".
  TStory(TMFS& Volume, std::string_view StoryName);
  explicit TStory(std::unique_ptr<TStoryLine> Line);

  void First();
  void Last();
  // Each step first locates ShownPage, the page the browser shows.
  void Next(std::string_view ShownPage);
  void Prior(std::string_view ShownPage);
  TXMLNode* NextChapter(std::string_view ShownPage, int Level);
  TXMLNode* PriorChapter(std::string_view ShownPage, int Level);
  // Moves to the first item showing Page; a page outside the story changes nothing.
  void Locate(std::string_view Page);

  [[nodiscard]] bool Bof() const { return FBof; }
  [[nodiscard]] bool Eof() const { return FEof; }
  [[nodiscard]] TXMLNode* Current() const { return FCurrent; }
  [[nodiscard]] std::string CurrentPage() const;
  [[nodiscard]] std::string CurrentPageName() const;
  [[nodiscard]] bool Searchable() const;
  [[nodiscard]] bool RightClickBlocked() const;

  const std::unique_ptr<TStoryLine> StoryLine;

private:
  bool FBof = true;
  bool FEof = true;
  TXMLNode* FCurrent = nullptr; // not owned: a node of StoryLine
};

} // namespace vv
