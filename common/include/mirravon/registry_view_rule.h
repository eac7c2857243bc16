// The rule of which registry view's key answers for values that a caller reads
// together, for every deliverable: the registry reader's two-view open and the
// launcher's agent discovery both ask it. It needs no Win32 call, so the host
// build tests it; opening keys and reading values stay with the callers.
#pragma once

#include <iterator>
#include <optional>

namespace mirravon {

// How one value's read ended, as far as the choice of view cares.
enum class ValueRead {
    Read,      // the system gave the value
    Refused,   // it is there, but its type is not accepted or it is larger than the room
    NotFound,  // the key has no such value
    Failed,    // any other failure: the key deleted meanwhile, no memory, no right to query
};

// Only a value that the system shows to be there settles the view, also when
// the read then refuses it: a refused value stays refused rather than being
// replaced by another installation's. A read that fails for another reason
// tells nothing of the value and counts as absent, as a key that cannot be
// opened does, so it never hides the other view's installation; either way
// every value still comes from one view.
constexpr bool SettlesTheView(ValueRead read) noexcept { return read == ValueRead::Read || read == ValueRead::Refused; }

// What one view's key holds of the values read together.
enum class KeyAnswer { NotOpened, HoldsNone, HoldsSome };

// The answer of a key (`opened` or not) for `names`, each read by `read`
// (name -> ValueRead) until one settles the view. A key asked for without
// names answers when it opens.
template <typename Names, typename Read> KeyAnswer AnswerOfKey(bool opened, const Names& names, Read&& read) {
    if (!opened) return KeyAnswer::NotOpened;
    if (std::size(names) == 0) return KeyAnswer::HoldsSome;
    for (const auto& name : names)
        if (SettlesTheView(read(name))) return KeyAnswer::HoldsSome;
    return KeyAnswer::HoldsNone;
}

// The two views a key is looked for in: this process's default one, and the
// other one (where a program of the other kind writes on a 64-bit Windows).
enum class KeyView { Default, Other };

// The view whose key answers for all the values, or none when neither key
// opens. `answerIn(view)` opens the key in that view and gives its KeyAnswer;
// the other view is asked only when the default view's key is absent or holds
// none of the values. When neither holds any, an opened key answers (the
// default view's first), so that the caller's reads report the values absent.
template <typename AnswerIn> std::optional<KeyView> AnsweringView(AnswerIn&& answerIn) {
    const KeyAnswer inDefault = answerIn(KeyView::Default);
    if (inDefault == KeyAnswer::HoldsSome) return KeyView::Default;
    const KeyAnswer inOther = answerIn(KeyView::Other);
    if (inOther == KeyAnswer::HoldsSome) return KeyView::Other;
    if (inDefault == KeyAnswer::HoldsNone) return KeyView::Default;
    if (inOther == KeyAnswer::HoldsNone) return KeyView::Other;
    return std::nullopt;
}

}  // namespace mirravon
