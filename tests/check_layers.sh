#!/usr/bin/env bash
# Fails on an include from a layer above the including file's own, unless the pair is one of
# the exceptions listed below with its reason; and on a source that does not open with its
# own header. The layers, lowest first:
#   framework   thin Win32 framework, handles, paths, links, registry
#   payload     unpacking the payload archive
#   integration registry and shell (associations, registration, shortcuts)
#   app, res    the setup's core and resources; uninstall: the uninstaller, beside app
#   wizard      the setup's pages
# A folder may include its own layer and those below it; app and uninstall do not include
# each other.
set -euo pipefail
root=${1:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}

rank() {
  case $1 in
    framework) echo 0 ;;
    payload) echo 1 ;;
    integration) echo 2 ;;
    app | res | uninstall) echo 3 ;;
    wizard) echo 4 ;;
    *) echo -1 ;;
  esac
}

# "including-file included-file: reason", one an exception.
exceptions=$(cat <<'LIST'
payload/payload_source.cpp res/resource.h: the payload archive is a resource of the setup; its type and id are the resource script's
integration/app_registration.cpp app/product_info.h: the product's names and version are registered
integration/file_associations.cpp app/os_version.h: the AppX overrides depend on the Windows version
integration/file_associations.cpp app/product_info.h: the product's names go into the class keys
integration/registry_names.h app/product_info.h: the registry names are made from the product's names
integration/registry_names.cpp app/product_info.h: the registry names are made from the product's names
integration/shortcut_names.cpp app/product_info.h: the links are named after the product and its version
integration/shortcuts.cpp app/os_version.h: the uninstaller's link depends on the Windows version
integration/shortcuts.cpp app/product_info.h: the links point at the product's files
integration/shortcuts.cpp app/target_folder.h: the start-menu group is made with the folder creation of the target
app/the_app_wizard.cpp wizard/display_scale.h: the heading font is made at the wizard's display scale
app/the_app_wizard.cpp wizard/wiz_property_page.h: the application object runs the wizard
app/the_app_wizard.cpp wizard/wiz_property_sheet.h: the application object runs the wizard
uninstall/registration_removal.cpp app/product_info.h: the uninstaller removes what was named after the product
uninstall/self_removal.cpp app/product_info.h: the uninstaller's own file name
uninstall/settings_removal.cpp app/product_info.h: the settings file's names
uninstall/settings_removal.cpp app/settings_file.h: the settings folder is read with the setup's expansion of variables
uninstall/settings_removal.cpp app/target_folder.h: the settings folder is tidied and checked as the setup checks a folder
uninstall/uninstallation.cpp app/product_info.h: the installation's names
uninstall/uninstallation.cpp app/string_table.h: the German texts are loaded as the setup loads them
uninstall/uninstallation.cpp app/viewer_window.h: the running viewer is found as the setup finds it
uninstall/uninstall_app.cpp app/install_log.h: failures are logged in the setup's log format
uninstall/uninstall_app.cpp app/system_library.h: the library search is hardened as the setup's
uninstall/uninstall_app.cpp app/string_table.h: the German texts are loaded as the setup loads them
uninstall/uninstall_dialog.cpp app/string_table.h: the German texts are loaded as the setup loads them
LIST
)

is_exception() {
  grep -qxF -- "$1 $2" <<<"$(sed 's/:.*//' <<<"$exceptions")"
}

status=0
while IFS= read -r file; do
  from=${file%%/*}
  from_rank=$(rank "$from")
  [ "$from_rank" -ge 0 ] || continue
  while IFS= read -r included; do
    to=${included%%/*}
    to_rank=$(rank "$to")
    [ "$to_rank" -ge 0 ] || continue
    upward=0
    if [ "$to_rank" -gt "$from_rank" ]; then upward=1; fi
    if [ "$to_rank" -eq "$from_rank" ] && [ "$to" != "$from" ] &&
       { [ "$from" = uninstall ] || [ "$to" = uninstall ]; }; then upward=1; fi
    if [ "$upward" = 1 ] && ! is_exception "$file" "$included"; then
      echo "$file includes $included from a layer above it (not a listed exception)"
      status=1
    fi
  done < <(sed -nE 's/^[[:space:]]*#[[:space:]]*include[[:space:]]+"([a-z_]+\/[^"]+)".*/\1/p' "$root/$file")
  # A source opens with its own header, so that the header is known to stand alone.
  if [[ $file == *.cpp ]] && [ -f "$root/${file%.cpp}.h" ]; then
    first=$(grep -m1 -E '^[[:space:]]*#[[:space:]]*include' "$root/$file" || true)
    if [ "$first" != "#include \"${file%.cpp}.h\"" ]; then
      echo "$file does not open with its own header (${file%.cpp}.h)"
      status=1
    fi
  fi
done < <(cd "$root" && find framework payload integration app res uninstall wizard \
           -name '*.h' -o -name '*.cpp' | sort)

# An exception that no longer occurs is taken off the list.
while IFS= read -r pair; do
  [ -n "$pair" ] || continue
  file=${pair%% *}
  included=${pair#* }
  if ! grep -qE "^[[:space:]]*#[[:space:]]*include[[:space:]]+\"$included\"" "$root/$file" 2>/dev/null; then
    echo "listed exception no longer occurs: $file includes $included"
    status=1
  fi
done < <(sed 's/:.*//' <<<"$exceptions")

[ $status -eq 0 ] && echo "include layers: ok"
exit $status
