#include "editors/highlighter.h"

#include <algorithm>

#include "core/text/str_utils.h"

namespace tovix {

void TmwHighLightAttributes::Changed() {
  if (OnChange) OnChange(*this);
}

void TmwHighLightAttributes::SetBackground(TColor value) {
  if (value == background_) return;
  background_ = value;
  Changed();
}

void TmwHighLightAttributes::SetForeground(TColor value) {
  if (value == foreground_) return;
  foreground_ = value;
  Changed();
}

void TmwHighLightAttributes::SetStyle(TFontStyles value) {
  if (value == style_) return;
  style_ = value;
  Changed();
}

void TmwHighLightAttributes::Assign(const TmwHighLightAttributes& source) {
  if (&source == this) return;
  const bool changed = name_ != source.name_ || background_ != source.background_ ||
                       foreground_ != source.foreground_ || style_ != source.style_;
  name_ = source.name_;
  background_ = source.background_;
  foreground_ = source.foreground_;
  style_ = source.style_;
  if (changed) Changed();
}

int TmwNotifyEventChain::Add(THandler handler) {
  if (!handler)
    throw EmwMethodChain("TmwNotifyEventChain.Entry : the parameter `AEvent' must be specified.");
  entries_.push_back({nextId_, std::move(handler)});
  return nextId_++;
}

void TmwNotifyEventChain::Remove(int id) {
  for (size_t i = entries_.size(); i-- > 0;) {
    if (entries_[i].Id == id) {
      entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(i));
      return;
    }
  }
}

void TmwNotifyEventChain::Fire() {
  // Copy the ids first: a handler may unhook while the chain runs.
  std::vector<int> ids;
  ids.reserve(entries_.size());
  for (const TEntry& e : entries_) ids.push_back(e.Id);
  for (int id : ids) {
    auto it = std::find_if(entries_.begin(), entries_.end(),
                           [id](const TEntry& e) { return e.Id == id; });
    if (it == entries_.end()) continue;
    THandler handler = it->Handler;
    if (!onException_) {
      handler(sender_);
      continue;
    }
    try {
      handler(sender_);
    } catch (const std::exception& error) {
      bool doContinue = true;
      onException_(error, doContinue);
      if (!doContinue) return;
    }
  }
}

TmwCustomHighLighter::TmwCustomHighLighter() : changeChain_(this), destroyChain_(this) {}

TmwCustomHighLighter::~TmwCustomHighLighter() {
  destroyChain_.Fire();
}

TIdentChars TmwCustomHighLighter::GetIdentChars() const {
  TIdentChars set;
  for (int c = 33; c < 256; ++c) set.set(static_cast<size_t>(c));
  return set;
}

TmwHighLightAttributes* TmwCustomHighLighter::GetAttribute(int index) const {
  if (index < 0 || index >= GetAttribCount()) return nullptr;
  return attributes_[static_cast<size_t>(index)].get();
}

void TmwCustomHighLighter::NextToEol() {
  while (!GetEol()) Next();
}

TmwHighLightAttributes* TmwCustomHighLighter::AddAttribute(
    std::unique_ptr<TmwHighLightAttributes> attr) {
  const std::string& name = attr->Name();
  auto pos = std::lower_bound(attributes_.begin(), attributes_.end(), name,
                              [](const std::unique_ptr<TmwHighLightAttributes>& a,
                                 const std::string& n) { return CompareText(a->Name(), n) < 0; });
  if (pos != attributes_.end() && SameText((*pos)->Name(), name))
    throw EStringListError("String list does not allow duplicates");
  return attributes_.insert(pos, std::move(attr))->get();
}

void TmwCustomHighLighter::SetAttributesOnChange() {
  for (auto& a : attributes_)
    a->OnChange = [this](TmwHighLightAttributes&) { DefHighlightChange(); };
}

namespace {
std::string AttributeSection(const std::string& key, const TmwHighLightAttributes& attribute) {
  return key + "\\" + attribute.Name();
}
}  // namespace

bool TmwCustomHighLighter::LoadFromStore(const TznSaveState& store, const std::string& key) {
  for (const auto& attribute : attributes_) {
    const std::string section = AttributeSection(key, *attribute);
    if (!store.SectionExists(section)) return false;
    // Each value is applied through the setters, so the hooked editors repaint.
    if (store.ValueExists(section, "Background"))
      attribute->SetBackground(static_cast<TColor>(store.ReadInteger(section, "Background", 0)));
    if (store.ValueExists(section, "Foreground"))
      attribute->SetForeground(static_cast<TColor>(store.ReadInteger(section, "Foreground", 0)));
    if (store.ValueExists(section, "Style"))
      attribute->SetStyle(static_cast<TFontStyles>(store.ReadInteger(section, "Style", 0) & 15));
  }
  return true;
}

void TmwCustomHighLighter::SaveToStore(TznSaveState& store, const std::string& key) const {
  for (const auto& attribute : attributes_) {
    const std::string section = AttributeSection(key, *attribute);
    store.WriteInteger(section, "Background", static_cast<int32_t>(attribute->Background()));
    store.WriteInteger(section, "Foreground", static_cast<int32_t>(attribute->Foreground()));
    store.WriteInteger(section, "Style", attribute->Style());
  }
}

void THighlighterList::Register(const std::string& name, TFactory factory) {
  if (IndexOf(name) >= 0) return;
  entries_.push_back({name, std::move(factory)});
}

int THighlighterList::IndexOf(const std::string& name) const {
  for (size_t i = 0; i < entries_.size(); ++i)
    if (entries_[i].Name == name) return static_cast<int>(i);
  return -1;
}

}  // namespace tovix
