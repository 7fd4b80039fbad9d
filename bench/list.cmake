quorvex_bench(list_bench list_bench.cpp LIBS quorvex_test_support)
