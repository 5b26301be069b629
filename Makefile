# Kestrel — the two commands a newcomer needs:
#   make run    install what is missing, build, start the panel on the simulated camera
#   make test   install what is missing, build, run every test
# Further: make bench, make sanitize (ASan+UBSan and TSan), make fuzz, make soak, make format,
#          make screenshots, make translations (collect texts into translations/*.ts),
#          make package (the Debian packages in build/debian/).

SHELL := /bin/bash
JOBS  ?= $(shell nproc)
FUZZ_SECONDS ?= 20

# Debian 12 packages the build, the tests and the tools need.
PACKAGES := cmake make g++ pkg-config libgtest-dev libgmock-dev libbenchmark-dev \
            qt6-base-dev qt6-l10n-tools libgl-dev clang libclang-rt-14-dev clang-format \
            python3 python3-serial xvfb xauth fonts-dejavu-core fonts-noto-cjk \
            ser2net pybind11-dev python3-dev python3-pytest

.PHONY: all deps build test run bench soak sanitize asan tsan fuzz format screenshots translations \
        package clean

all: build

deps:
	@missing=$$(for p in $(PACKAGES); do dpkg-query -W -f='$${Status}\n' $$p 2>/dev/null | grep -q 'install ok installed' || echo $$p; done); \
	if [ -n "$$missing" ]; then \
	  echo "Installing:" $$missing; \
	  if [ "$$(id -u)" -ne 0 ]; then echo "Run as root (or install these packages) first." >&2; exit 1; fi; \
	  export DEBIAN_FRONTEND=noninteractive; \
	  apt-get update -qq && apt-get install -y -qq --no-install-recommends $$missing >/dev/null; \
	fi

build: deps
	@cmake --preset default >/dev/null
	@cmake --build --preset default -j $(JOBS) -- --no-print-directory

test: build
	@ctest --preset default -j $(JOBS)

run: build
	@tools/run-panel.sh

bench: build
	@bench/run.sh

soak: build
	@bench/soak.sh

asan: deps
	@cmake --preset asan >/dev/null
	@cmake --build --preset asan -j $(JOBS)
	@ctest --preset asan -j $(JOBS)

tsan: deps
	@cmake --preset tsan >/dev/null
	@cmake --build --preset tsan -j $(JOBS)
	@ctest --preset tsan -j $(JOBS)

sanitize: asan tsan

fuzz: deps
	@cmake --preset fuzz >/dev/null
	@cmake --build --preset fuzz -j $(JOBS)
	@fuzz/run.sh build-fuzz $(FUZZ_SECONDS)

# make package: the Debian packages (debian/) in build/debian/, checked with
# lintian and appstreamcli. The tools only this target needs:
PACKAGING_PACKAGES := debhelper dh-python dpkg-dev lintian appstream desktop-file-utils
# The Maintainer of the packages: Debian's DEBFULLNAME and DEBEMAIL where set,
# else the git identity of this checkout.
KESTREL_MAINTAINER ?= $(or $(and $(DEBEMAIL),$(or $(DEBFULLNAME),Kestrel developers) <$(DEBEMAIL)>),\
  $(and $(GIT_EMAIL),$(shell git config user.name) <$(GIT_EMAIL)>),Kestrel developers <kestrel@example.org>)
GIT_EMAIL = $(shell git config user.email)
# The project page the AppStream metadata links (cmake/install.cmake).
KESTREL_HOMEPAGE ?= https://kestrel.example.org
VERSION := $(shell sed -n 's/^project.Kestrel VERSION \([^ ]*\).*/\1/p' CMakeLists.txt)

package: PACKAGES += $(PACKAGING_PACKAGES)
package: deps
	@tools/build-packages.sh "$(VERSION)" "$(KESTREL_MAINTAINER)" "$(KESTREL_HOMEPAGE)"

format:
	@git ls-files '*.cpp' '*.h' | xargs clang-format -i

# The pictures are taken under Xvfb with a window manager (openbox), so the
# window frames count as on a desk.
screenshots: PACKAGES += openbox
screenshots: build
	@tools/screenshots.sh

# Collects the translatable texts of the sources into translations/*.ts (the
# translations already made are kept); lrelease builds them into the program.
LUPDATE ?= /usr/lib/qt6/bin/lupdate
translations: deps
	@$(LUPDATE) -silent -tr-function-alias QT_TRANSLATE_NOOP+=KESTREL_TR_NOOP -no-obsolete \
	  -locations none -source-language en src -ts translations/*.ts

clean:
	rm -rf build build-asan build-tsan build-fuzz
