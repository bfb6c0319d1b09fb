// Turns the statements of the scene reader into the scene's order list.
#include "avg/xAVGScriptParser.h"

#include <cstddef>
#include <iterator>
#include <string_view>

#include "avg/xAVGScriptReader.h"
#include "base/resource_path.h"
#include "base/xLogFile.h"

namespace {

xAVGScriptParser* gParser = nullptr;

using avg::keywordCode;

enum class Build { Params, Text, Shake, EffectIn, EffectOut, If, Else, EndIf, Unknown };

struct Keyword {
  std::uint32_t code;
  xAVGOrderType kind;
  Build build;
};

constexpr Keyword kKeywords[] = {
#define SCENE_KEYWORD(code, kind, build, known) {keywordCode(code), xAVGOrderType::kind, Build::build},
#include "avg/scene_keywords.def"
#undef SCENE_KEYWORD
};

struct EffectWord {
  bool secondList;
  std::string_view word;
  xAVGOrderType kind;
};

constexpr EffectWord kEffectWords[] = {
#define EFFECT_WORD(second, word, kind) {second, word, xAVGOrderType::kind},
#include "avg/effect_words.def"
#undef EFFECT_WORD
};
static_assert(std::size(kEffectWords) == 13);

// "横向抖动" and "纵向抖动" in code page 936.
constexpr std::string_view kShakeAcross = "\xBA\xE1\xCF\xF2\xB6\xB6\xB6\xAF";
constexpr std::string_view kShakeUpDown = "\xD7\xDD\xCF\xF2\xB6\xB6\xB6\xAF";

const Keyword* findKeyword(std::uint32_t code) {
  for (const Keyword& keyword : kKeywords)
    if (keyword.code == code) return &keyword;
  return nullptr;
}

// The statement's first word as written: up to a blank or the ';'.
std::string keywordOf(const std::string& statement) { return statement.substr(0, statement.find_first_of(" ;")); }

void addParams(avg::OrderList& orders, const std::vector<std::string>& params, std::size_t from) {
  for (std::size_t i = from; i < params.size(); ++i) orders.addParamText(params[i]);
}

// "#CS" makes the next piece replace the box text; "#VO name" is a voice.
void buildText(avg::OrderList& orders, const std::vector<std::string>& pieces) {
  bool replace = true;
  for (const std::string& piece : pieces) {
    if (piece == "#CS") {
      replace = true;
    } else if (piece.starts_with("#VO")) {
      std::string name = piece.size() > 4 ? piece.substr(4) : std::string();
      WriteLog("Play Voice: %s", name.c_str());
      orders.addOrder(xAVGOrderType::VOICE);
      orders.addParamText(name);
    } else {
      orders.addOrder(replace ? xAVGOrderType::TEXT : xAVGOrderType::TEXTADD);
      orders.addParamText(piece);
      replace = false;
    }
  }
}

}  // namespace

xAVGScriptParser* xAVGScriptParser::getInstance() {
  if (!gParser) gParser = new xAVGScriptParser();
  return gParser;
}

void xAVGScriptParser::resetForTests() {
  delete gParser;
  gParser = nullptr;
}

xAVGOrderType xAVGScriptParser::orderTypeOfToken(std::uint32_t code) {
  const Keyword* keyword = findKeyword(code);
  return keyword ? keyword->kind : xAVGOrderType::NO_ORDER;
}

xAVGOrderType xAVGScriptParser::effectOrderType(const std::string& word, bool secondList) {
  for (const EffectWord& effect : kEffectWords)
    if (effect.secondList == secondList && effect.word == word) return effect.kind;
  return xAVGOrderType::NO_ORDER;
}

int xAVGScriptParser::shakeMode(const std::string& word) {
  if (word == kShakeAcross) return 2;
  if (word == kShakeUpDown) return 1;
  return -1;
}

void xAVGScriptParser::buildOrders(avg::OrderList& orders) {
  xAVGScriptReader* reader = xAVGScriptReader::getInstance();
  branchCounter = 0;
  orders.reset();
  std::uint32_t previousCode = 0;
  for (; !reader->atEnd(); reader->advance()) {
    std::size_t first = orders.size();
    buildStatement(orders, previousCode);
    // Every order of the statement (a voice and its text) is in the same part.
    for (std::size_t i = first; i + 1 < orders.size(); ++i) orders.orders()[i].branch = branchCounter;
    orders.setBranch(branchCounter);
    previousCode = reader->token;
  }
  reader->finished = true;
}

void xAVGScriptParser::buildStatement(avg::OrderList& orders, std::uint32_t previousCode) {
  const xAVGScriptReader* reader = xAVGScriptReader::getInstance();
  const std::vector<std::string>& params = reader->params;
  const Keyword* keyword = findKeyword(reader->token);
  switch (keyword ? keyword->build : Build::Unknown) {
    case Build::Params:
      orders.addOrder(keyword->kind);
      addParams(orders, params, 0);
      break;
    case Build::Text:
      buildText(orders, params);
      break;
    case Build::Shake:
      if (params.empty()) {
        orders.addOrder(xAVGOrderType::NO_ORDER);
        break;
      }
      orders.addOrder(xAVGOrderType::SCREENMOVE);
      orders.addParamText(IntToString(shakeMode(params[0])));
      addParams(orders, params, 1);
      break;
    case Build::EffectIn:
    case Build::EffectOut:
      if (params.empty()) {
        orders.addOrder(xAVGOrderType::NO_ORDER);
        break;
      }
      orders.addOrder(effectOrderType(params[0], keyword->build == Build::EffectOut));
      addParams(orders, params, 1);
      break;
    case Build::If:
      orders.addOrder(xAVGOrderType::IF);
      addParams(orders, params, 0);
      if (previousCode != keywordCode("else")) ++branchCounter;
      break;
    case Build::Else:
      orders.addOrder(xAVGOrderType::ELSE);
      ++branchCounter;
      break;
    case Build::EndIf:
      orders.addOrder(xAVGOrderType::ENDIF);
      branchCounter = 0;
      break;
    case Build::Unknown:
      WriteLog("ERROR UNKNOWN TOKEN TPYE");
      WriteLog("%s:%d: unknown keyword '%s'", reader->fileName.c_str(), static_cast<int>(reader->currentFirstLine()),
               keywordOf(*reader->current).c_str());
      break;
  }
}
