#!/usr/bin/env bash
# Makes the folder trees with Unix links for the Windows walk tests: Wine
# cannot make such links itself, and shows them as folder reparse points.
# Each case is its own tree: CASE/file, CASE/a/b/deep, CASE/sibling/other
# plus the case's links.
set -euo pipefail
root=$1
rm -rf "$root"
one() {
  local name=$1
  shift
  mkdir -p "$root/$name/a/b" "$root/$name/sibling"
  printf x >"$root/$name/file"
  printf xx >"$root/$name/a/b/deep"
  printf xxx >"$root/$name/sibling/other"
  while (($#)); do
    ln -s "${2//@/$root/$name}" "$root/$name/$1"
    shift 2
  done
}
one ToItself a/self @/a
one ToItsParent a/b/up ..
one ToTheRootAbsolute a/b/root @
one ToTheRootRelative a/b/root ../..
one ToASibling a/side ../sibling
one Dangling a/gone missing
one TwoLinksUpInOneFolder a/b/again @/a/b a/b/parent ..
