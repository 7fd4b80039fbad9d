quorvex_bench(db_bench db_bench.cpp LIBS quorvex_test_support)
