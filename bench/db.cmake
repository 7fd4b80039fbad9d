# SPDX-License-Identifier: GPL-3.0-or-later
quorvex_bench(db_bench db_bench.cpp LIBS quorvex_test_support)
