select e.employee_id, e.last_name, d.department_name,
       case when e.salary > 10000 then 'high' when e.salary > 5000 then 'mid' else 'low' end as band,
       (select count(*) from job_history j where j.employee_id = e.employee_id) jobs
  from employees e
  join departments d on d.department_id = e.department_id
 where e.hire_date between date '2005-01-01' and date '2008-12-31'
   and d.location_id in (select location_id from locations where country_id = 'US')
 group by e.employee_id, e.last_name, d.department_name, e.salary
having count(*) > 0
 order by d.department_name, e.last_name desc;
