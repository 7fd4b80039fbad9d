# SPDX-License-Identifier: GPL-3.0-or-later
quorvex_bench(import_bench import_bench.cpp LIBS quorvex_import quorvex_test_support)
quorvex_bench(import_fdc_bench import_fdc_bench.cpp LIBS quorvex_fdc_download)
