# Where the installed package puts its files, relative to its prefix (/usr). The package rules
# install there, and the tools look for the module there relative to their own folder.
set(MARROWFOLD_PACKAGE_TOOLS_DIR bin)
set(MARROWFOLD_PACKAGE_BUNDLE_DIR lib/lv2/marrowfold.lv2)
set(MARROWFOLD_PACKAGE_DOC_DIR share/doc/marrowfold)
set(MARROWFOLD_PACKAGE_MANUAL_DIR share/man/man1)
