# Writes the page's service worker from the folder's contents as the build
# left them: every file in it is kept offline, under a cache named by a hash
# of them all. Run as cmake -DPAGE_DIR=... -DTEMPLATE=... -P page_worker.cmake.
set(worker service-worker.js)
file(GLOB_RECURSE names RELATIVE ${PAGE_DIR} ${PAGE_DIR}/*)
list(REMOVE_ITEM names ${worker})
list(SORT names)
# The folder's own address too: hosts serve index.html there.
set(PAGE_FILES "'./'")
set(contents "")
foreach(name IN LISTS names)
  file(SHA256 ${PAGE_DIR}/${name} sum)
  string(APPEND contents "${name} ${sum}\n")
  string(APPEND PAGE_FILES ", '${name}'")
endforeach()
string(SHA256 PAGE_HASH "${contents}")
string(SUBSTRING ${PAGE_HASH} 0 16 PAGE_HASH)
# Written only when changed, so that an unchanged page keeps its worker.
configure_file(${TEMPLATE} ${PAGE_DIR}/${worker} @ONLY)
