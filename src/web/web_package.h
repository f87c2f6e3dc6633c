#pragma once

#include <deque>
#include <memory>
#include <string>
#include <vector>

#include <emscripten/val.h>

#include "package/editable_package.h"

namespace lumigram::web {

// An open skin package for the page: the editable package the CLI's update
// and delete and the workbench use, over the page's bytes held in memory. Every
// method returns an Error value instead of raising (see js_bytes.h).
class WebPackage {
  public:
    // salvage: a damaged package's intact members, read-only for the page,
    // instead of the CLI's refusal.
    WebPackage() = default;
    WebPackage(const WebPackage&) = delete;
    WebPackage& operator=(const WebPackage&) = delete;

    static emscripten::val Open(const emscripten::val& bytes, const std::string& name,
                                bool salvage);

    std::size_t size() const { return package_.members().size(); }
    emscripten::val member(std::size_t index) const;  // {name, shown, size, kind}
    // Every member as member() gives it, in order, in one call.
    emscripten::val members() const;
    emscripten::val bytes(std::size_t index) const;
    // Members are named by position: a package may hold two of one name. Each
    // edit returns the position the member has afterwards.
    // put: as update, the member of that name replaced in its place or a new one
    // added where pack's order puts it.
    emscripten::val put(const std::string& name, const emscripten::val& bytes);
    // putConverted: the same for a file taken by content (update --convert),
    // a picture encoded with the page's transparency settings.
    emscripten::val putConverted(const std::string& name, const emscripten::val& bytes,
                                 bool transparency, unsigned colour);
    emscripten::val replace(std::size_t index, const emscripten::val& bytes);
    // Which member each of files ([{name, bytes}]) becomes, by the intake rule
    // of update --convert (PlanIntake): [{action: "add" | "replace" | "skip",
    // member, name, encode, reason}]; encode: the file is a BMP or PNG to
    // encode into a ".k" with the user's transparency settings.
    emscripten::val planIntake(const emscripten::val& files) const;
    // What a file put into member index becomes (PlanReplacement): {name, encode}.
    emscripten::val planReplacement(std::size_t index, const std::string& fileName,
                                    const emscripten::val& bytes) const;
    emscripten::val remove(std::size_t index);
    emscripten::val rename(std::size_t index, const std::string& newName);
    emscripten::val save();

    // Undo and redo: checkpoint() keeps the members as they are now and returns
    // the state's number (those after the current one, undone, are let go);
    // restore(n) puts state n back. The oldest states are let go once all of
    // them together hold too many members; oldest() is the first still kept.
    emscripten::val checkpoint();
    emscripten::val restore(std::size_t state);
    std::size_t oldest() const { return firstState_; }
    // What `lumigram-cli verify` reports (damage, unusual members), a line a
    // finding; "" when it reports nothing.
    std::string findings() const { return findings_; }

  private:
    std::size_t Checked(std::size_t index) const;

    EditablePackage package_;
    std::string findings_;
    std::deque<std::vector<PackageEntry>> states_;
    std::size_t firstState_ = 0;    // the number of states_.front()
    std::size_t currentState_ = 0;  // the state the members are in, when unedited since
    static unsigned open_;          // packages alive now
};

}  // namespace lumigram::web
